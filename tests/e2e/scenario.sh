#!/usr/bin/env bash
# One end-to-end scenario: a simulated radio on a pseudo-terminal, updated by p25update-cli.
set -uo pipefail
scenario=$1 sim=$2 cli=$3 check=$4 carried=$5 small=$6
work=$(mktemp -d "${TMPDIR:-/tmp}/p25e2e-$scenario-XXXXXX")
# The support logs go here, not into the user's own folder.
export XDG_STATE_HOME="$work/xdg"
logs="$XDG_STATE_HOME/p25update/logs"
sims=()
cleanup() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  [ "${KEEP:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL ($scenario): $*"
  echo "--- updater output"; cat "$work/cli.out" 2>/dev/null
  echo "--- simulator"; cat "$work/sim.out" 2>/dev/null
  exit 1
}

# start_sim [sim options...]: serves the radio on $work/radio, its state in $work/state.
start_sim() {
  : >"$work/sim.out"
  "$sim" --link "$work/radio" --state "$work/state" "$@" >"$work/sim.out" 2>&1 &
  sims+=($!)
  for _ in $(seq 100); do grep -q '^READY' "$work/sim.out" && return 0; sleep 0.1; done
  fail "simulator did not start"
}
stop_sims() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  sims=()
}

# update EXPECTED_STATUS [cli options...]: runs the updater on the radio.
update() {
  local expected=$1
  shift
  "$cli" --recovery-dir "$work" "$@" </dev/null >"$work/cli.out" 2>&1
  local status=$?
  [ "$status" = "$expected" ] || fail "exit status $status, expected $expected"
}
# interrupt_at LINE [cli options...]: runs the updater, presses Ctrl-C a second after LINE shows, and
# expects status 130.
interrupt_at() {
  local line=$1
  shift
  "$cli" --recovery-dir "$work" "$@" </dev/null >"$work/cli.out" 2>&1 &
  local pid=$!
  for _ in $(seq 900); do grep -qF -- "$line" "$work/cli.out" && break; sleep 0.1; done
  sleep 1
  kill -INT "$pid"
  wait "$pid"
  local status=$?
  [ "$status" = 130 ] || fail "exit status $status, expected 130"
}
expect_line() { grep -qxF -- "$1" "$work/cli.out" || fail "no line: $1"; }
expect_radio() { "$check" "$work/state" "$1" "$2" "$3" || fail "radio state"; }
# expect_log FILE LINE...: the support log FILE holds each line.
expect_log() {
  local file=$1
  shift
  [ -f "$file" ] || fail "no support log $file"
  for line in "$@"; do grep -qF -- "$line" "$file" || { cat "$file"; fail "support log lacks: $line"; }; done
}

case "$scenario" in
  whole-503)
    start_sim --serial 4711
    update 0 --port "$work/radio"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$carried" 503 4711
    ;;
  whole-501)
    start_sim --serial 4712 --hw-features 0
    update 0 --port "$work/radio" --baud 19200
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$carried" 501 4712
    ;;
  noisy-line)
    start_sim --noise 7 --corrupt-crc 5
    update 0 --port "$work/radio" --firmware-dir "$small" --trace
    expect_line "Update Completed Succesfully"
    expect_log "$(ls "$logs"/*-1234ABCD.log)" "  bad CRC" "Outcome    completed after" "ESN 1234ABCD"
    stop_sims
    expect_radio "$small" 503 12345
    ;;
  rate-fallback)
    start_sim --refuse-rate 38400
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    expect_log "$(ls "$logs"/*-1234ABCD.log)" "asked the radio for 38400 (refused), 19200 (accepted)"
    ;;
  slow-erase)
    # Each erase outlasts the 30-second reply wait; progress notices keep the exchange going.
    start_sim --slow-erase 40
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    ;;
  signatures-refused-nine)
    start_sim --refuse-signatures 9
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    ;;
  no-serial-yes)
    start_sim --serial 0
    update 1 --port "$work/radio" --firmware-dir "$small" --yes
    expect_line "Answered Yes (--yes)."
    expect_line "Error: No Serial Number in Target Radio"
    ;;
  radio-exchanged)
    start_sim --swap-after-identify
    update 1 --port "$work/radio" --firmware-dir "$small"
    expect_line "Error: Radio Serial Number Mismatch Error"
    log=$(sed -n 's/^Support log: //p' "$work/cli.out")
    case "$log" in "$logs"/*-1234ABCD.log) ;; *) fail "support log path: $log" ;; esac
    expect_log "$log" "Outcome    failed in BootMode" "removed: a different radio answered"
    ;;
  never-ok)
    start_sim --no-ok
    update 1 --port "$work/radio" --firmware-dir "$small"
    expect_line "Error: Radio Failed to Reboot. Update may have to be restarted"
    ;;
  missing-port)
    update 1 --port "$work/no-such-port" --firmware-dir "$small" --log "$work/given.log"
    expect_line "Error: Failed to open communications port"
    expect_line "Support log: $work/given.log"
    expect_log "$work/given.log" "Failed to open communications port; system code 2: No such file or directory"
    grep -q "^Reason: " "$work/cli.out" || fail "no reason given"
    ;;
  port-in-use)
    start_sim
    # Another program holds the port: this shell, with an exclusive lock on it.
    exec 9<>"$work/radio"
    flock --exclusive 9
    update 1 --port "$work/radio" --firmware-dir "$small"
    exec 9>&-
    expect_line "Error: Failed to open communications port"
    grep -q "another program is using the port" "$work/cli.out" || fail "no reason given"
    ;;
  interrupted-then-resumed)
    # The radio loses its serial number when erased and then its power mid-write.
    start_sim --serial 4713 --lose-serial --power-loss-after 4
    update 1 --port "$work/radio" --firmware-dir "$small"
    grep -q "^Error: " "$work/cli.out" || fail "no error line"
    stop_sims
    ls "$work"/1234ABCD >/dev/null 2>&1 || fail "no recovery file"
    # The same radio, powered again: no serial number now, so the updater asks; Yes goes on.
    start_sim --serial 4713
    update 0 --port "$work/radio" --firmware-dir "$small" --yes
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 4713
    [ ! -e "$work/1234ABCD" ] || fail "recovery file left behind"
    ;;
  interrupted-by-user)
    start_sim
    "$cli" --recovery-dir "$work" --port "$work/radio" --firmware-dir "$small" </dev/null >"$work/cli.out" 2>&1 &
    pid=$!
    for _ in $(seq 600); do grep -q "Downloading FLASH code" "$work/cli.out" && break; sleep 0.1; done
    kill -INT "$pid"
    wait "$pid"
    status=$?
    [ "$status" = 130 ] || fail "exit status $status, expected 130"
    grep -q '^Update cancelled during "' "$work/cli.out" || fail "no word on the radio's state"
    ls "$work"/1234ABCD >/dev/null 2>&1 || fail "recovery file lost"
    ;;
  stopped-before-erase)
    # Ctrl-C in the pause before the first erase: the erase never goes out.
    start_sim --serial 4715 --lose-serial --transcript "$work/transcript"
    interrupt_at "Erasing CONTROL code in radio" --port "$work/radio" --firmware-dir "$small"
    grep -q "running the FLASH code at 38400 baud and its firmware was not changed: switch the radio off and on" \
      "$work/cli.out" || fail "no word on the radio's state"
    ! grep -q "EraseFlash" "$work/transcript" || fail "an erase went out after Ctrl-C"
    # The radio stays in its FLASH code until it is powered again; then the update completes.
    update 1 --port "$work/radio" --firmware-dir "$small" --yes
    grep -qi "switch the radio off and on" "$work/cli.out" || fail "no power-cycle advice"
    kill -USR1 "${sims[0]}"
    sleep 0.5
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 4715
    ;;
  stopped-after-erase)
    start_sim --serial 4716 --lose-serial
    interrupt_at "Downloading CONTROL code block 1" --port "$work/radio" --firmware-dir "$small"
    grep -q "the radio will not work until an update completes; its serial number 4716 is kept in $work/1234ABCD" \
      "$work/cli.out" || fail "no word on the kept serial number"
    ;;
  *)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac
echo "PASS ($scenario)"
