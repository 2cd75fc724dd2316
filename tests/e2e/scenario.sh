#!/usr/bin/env bash
# One end-to-end scenario: a simulated radio on a pseudo-terminal, updated by p25update-cli.
set -uo pipefail
scenario=$1 sim=$2 cli=$3 check=$4 full=$5 small=$6
name=$scenario
work=$(mktemp -d "${TMPDIR:-/tmp}/p25e2e-$scenario-XXXXXX")
source "$(dirname "$0")/common.sh"
cleanup() {
  stop_sims
  [ "${KEEP:-0}" = 1 ] || rm -rf "$work"
}
trap cleanup EXIT

# While the updater runs the shell starts no process (builtins only), as bash's times reports all the
# children it has waited for together; results go to variables, not through $(...).
mkfifo "$work/nap"
exec {nap}<>"$work/nap"
nap() { read -r -t "$1" -u "$nap" _; }
# children_ms: CPU milliseconds, user and system, of the children waited for so far.
children_cpu() {
  local report
  times >"$work/times"
  { read -r _; read -r report; } <"$work/times"
  [[ $report =~ ([0-9]+)m([0-9]+)\.([0-9]{3})s\ ([0-9]+)m([0-9]+)\.([0-9]{3})s ]] || fail "times: $report"
  children_ms=$(( (BASH_REMATCH[1] * 60 + 10#${BASH_REMATCH[2]} + BASH_REMATCH[4] * 60 + 10#${BASH_REMATCH[5]}) \
                  * 1000 + 10#${BASH_REMATCH[3]} + 10#${BASH_REMATCH[6]} ))
}
# process_ms: CPU milliseconds, user and system, that process $1 has used so far.
process_cpu() {
  local fields
  # Gone already (reaped): then all its time counts as after.
  process_ms=0
  read -r -a fields 2>/dev/null <"/proc/$1/stat" && process_ms=$(( (fields[13] + fields[14]) * 1000 / ticks ))
}
# Waits while process PID runs for a line of FILE starting with WORD.
wait_for_line() {
  local file=$1 word=$2 pid=$3 line
  while :; do
    while IFS= read -r line; do [[ $line == "$word"* ]] && return 0; done <"$file"
    kill -0 "$pid" 2>/dev/null || return 1
    nap 0.01
  done
}

case "$scenario" in
  three-radios)
    # Three radios at once, one refusing every signature: the other two complete, it is reported.
    for i in 1 2 3; do
      refuse=""
      [ $i = 3 ] && refuse="--refuse-signatures 1000"
      "$sim" --link "$work/radio$i" --state "$work/state$i" --serial 480$i --esn 0000000$i $refuse \
        >"$work/sim$i.out" 2>&1 &
      sims+=($!)
    done
    for i in 1 2 3; do
      for _ in $(seq 100); do grep -q '^READY' "$work/sim$i.out" && break; sleep 0.1; done
    done
    update 1 --port "$work/radio1" --port "$work/radio2" --port "$work/radio3" --firmware-dir "$small" --yes
    grep -Eq "^$work/radio1 +4801 +00000001 +503\+ .*Update Completed Succesfully$" "$work/cli.out" || fail "radio 1"
    grep -Eq "^$work/radio2 +4802 +00000002 +503\+ .*Update Completed Succesfully$" "$work/cli.out" || fail "radio 2"
    grep -Eq "^$work/radio3 +4803 +00000003 +- .*Error: Flash Image Authentication Failure" "$work/cli.out" ||
      fail "radio 3 not reported"
    stop_sims
    "$check" "$work/state1" "$small" 503 4801 && "$check" "$work/state2" "$small" 503 4802 || fail "radio state"
    "$check" "$work/state3" untouched 4803 || fail "failing radio changed"
    grep -q "^$work/radio3: Support log: $logs/.*-00000003.log$" "$work/cli.out" || fail "no log named for radio 3"
    expect_log "$(ls "$logs"/*-00000003.log)" "Outcome    failed in SignFlash" "ESN 00000003"
    ;;
  whole-503)
    start_sim --serial 4711
    update 0 --port "$work/radio" --firmware-dir "$full"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$full" 503 4711
    expect_no_recovery_file
    ;;
  whole-501)
    start_sim --serial 4712 --hw-features 0
    update 0 --port "$work/radio" --baud 19200 --firmware-dir "$full"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$full" 501 4712
    expect_no_recovery_file
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
    stop_sims
    grep -q " ChangeBaudRate Reject$" "$work/transcript" || fail "38400 was not refused"
    grep -q " -- rate now 19200$" "$work/transcript" || fail "the link did not fall back to 19200"
    expect_radio "$small" 503 12345
    ;;
  slow-erase)
    # Each erase outlasts the 30-second reply wait; progress notices keep the exchange going.
    start_sim --slow-erase 40
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 12345
    ;;
  signatures-refused-nine)
    start_sim --refuse-signatures 9
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 12345
    ;;
  no-serial-yes)
    start_sim --serial 0
    update 1 --port "$work/radio" --firmware-dir "$small" --yes
    expect_line "Answered Yes (--yes)."
    expect_line "Error: No Serial Number in Target Radio"
    stop_sims
    expect_radio "$small" 503 0
    # The only record holds 0: nothing good to restore, nothing to throw away either.
    expect_recovery_file
    ;;
  radio-exchanged)
    start_sim --swap-after-identify
    update 1 --port "$work/radio" --firmware-dir "$small"
    expect_line "Error: Radio Serial Number Mismatch Error"
    log=$(sed -n 's/^Support log: //p' "$work/cli.out")
    case "$log" in "$logs"/*-1234ABCD.log) ;; *) fail "support log path: $log" ;; esac
    expect_log "$log" "Outcome    failed in BootMode" "removed: a different radio answered"
    stop_sims
    # Stopped before boot mode: the radio now attached (12346) is as it was.
    expect_radio untouched 12346
    ;;
  never-ok)
    start_sim --no-ok
    update 1 --port "$work/radio" --firmware-dir "$small"
    expect_line "Error: Radio Failed to Reboot. Update may have to be restarted"
    stop_sims
    expect_radio "$small" 503 12345
    expect_recovery_file
    ;;
  missing-port)
    update 1 --port "$work/no-such-port" --firmware-dir "$small" --log "$work/given.log"
    expect_line "Error: Failed to open communications port"
    expect_line "Support log: $work/given.log"
    expect_log "$work/given.log" "Failed to open communications port; system code 2: No such file or directory"
    grep -q "^Reason: " "$work/cli.out" || fail "no reason given"
    expect_no_recovery_file
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
    stop_sims
    expect_radio untouched 12345
    expect_no_recovery_file
    ;;
  interrupted-then-resumed)
    # The radio loses its serial number when erased and then its power mid-write.
    start_sim --serial 4713 --lose-serial --power-loss-after 4
    update 1 --port "$work/radio" --firmware-dir "$small"
    grep -q "^Error: " "$work/cli.out" || fail "no error line"
    stop_sims
    expect_recovery_file
    # The same radio, powered again: no serial number now, so the updater asks; Yes goes on.
    start_sim --serial 4713
    update 0 --port "$work/radio" --firmware-dir "$small" --yes
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 4713
    expect_no_recovery_file
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
    expect_recovery_file
    stop_sims
    # Boot code goes to the radio's RAM: its flash is as it was.
    expect_radio untouched 12345
    ;;
  stopped-before-erase)
    # Ctrl-C in the pause before the first erase: the erase never goes out.
    start_sim --serial 4715 --lose-serial
    interrupt_at "Erasing CONTROL code in radio" --port "$work/radio" --firmware-dir "$small"
    grep -q "running the FLASH code at 38400 baud and its firmware was not changed: switch the radio off and on" \
      "$work/cli.out" || fail "no word on the radio's state"
    ! grep -q "EraseFlash" "$work/transcript" || fail "an erase went out after Ctrl-C"
    # The radio stays in its FLASH code until it is powered again; then the update completes.
    update 1 --port "$work/radio" --firmware-dir "$small" --yes
    expect_power_cycle_advice
    power_cycle
    update 0 --port "$work/radio" --firmware-dir "$small"
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 4715
    expect_no_recovery_file
    ;;
  stopped-after-erase)
    start_sim --serial 4716 --lose-serial
    interrupt_at "Downloading CONTROL code block 1" --port "$work/radio" --firmware-dir "$small"
    grep -q "the radio will not work until an update completes; its serial number 4716 is kept in $work/1234ABCD" \
      "$work/cli.out" || fail "no word on the kept serial number"
    stop_sims
    # The radio lost its number with the erase and holds an unsigned CONTROL image; the recovery file
    # holds the number.
    grep -qx "serial 0" "$work/state" || fail "the radio kept its serial number through the erase"
    grep -qx "region 00010000 [0-9A-F]* unsigned" "$work/state" || fail "no unsigned CONTROL image in the radio"
    grep -q "^P25SN 4716 " "$work/$esn_file" || fail "the recovery file does not hold 4716"
    ;;
  cable-pull | cable-pull-9600)
    # The cable is pulled in the middle of a CONTROL image, with the serial number already gone.
    rate=38400
    [ "$scenario" = cable-pull-9600 ] && rate=9600
    ticks=$(getconf CLK_TCK)
    start_sim --serial 4714 --lose-serial --pull-cable-after-writes 8 --replug-after-seconds 4
    children_cpu
    before_ms=$children_ms
    "$cli" --recovery-dir "$work" --port "$work/radio" --firmware-dir "$small" --baud "$rate" \
      </dev/null >"$work/cli.out" 2>&1 &
    pid=$!
    wait_for_line "$work/sim.out" UNPLUGGED "$pid" || fail "the updater ended before the cable was pulled"
    process_cpu "$pid"
    at_pull_ms=$process_ms
    wait "$pid"
    status=$?
    ended=$EPOCHREALTIME
    children_cpu
    total_ms=$((children_ms - before_ms))
    while IFS=' ' read -r word pulled; do [ "$word" = UNPLUGGED ] && break; done <"$work/sim.out"
    fail_ms=$(( (10#${ended/[.,]/} - 10#${pulled/./}) / 1000 ))
    echo "cable pulled during the writes at $rate baud: the updater ended $fail_ms ms after the pull, using" \
      "$((total_ms - at_pull_ms)) ms of CPU after it ($total_ms ms in the whole run)"
    grep -E "^(Error|Reason): " "$work/cli.out"
    [ "$status" = 1 ] || fail "exit status $status, expected 1"
    grep -q "^Reason: " "$work/cli.out" || fail "no reason given"
    [ "$fail_ms" -lt 3000 ] || fail "the updater took $fail_ms ms to fail after the pull"
    [ $((total_ms - at_pull_ms)) -lt 500 ] || fail "the updater used $((total_ms - at_pull_ms)) ms of CPU after the pull"
    expect_recovery_file
    for _ in $(seq 100); do grep -q '^PLUGGED ' "$work/sim.out" && break; sleep 0.1; done
    grep -q '^PLUGGED ' "$work/sim.out" || fail "the cable did not come back"
    if [ "$rate" = 38400 ]; then
      # The radio runs its FLASH code at 38400 still, out of reach until it is switched off and on.
      update 1 --port "$work/radio" --firmware-dir "$small" --yes
      grep -q "^Error: Radio not responding" "$work/cli.out" || fail "no \"Radio not responding\""
      expect_power_cycle_advice
      power_cycle
    fi
    update 0 --port "$work/radio" --firmware-dir "$small" --yes
    expect_line "Update Completed Succesfully"
    stop_sims
    expect_radio "$small" 503 4714
    expect_no_recovery_file
    ;;
  *)
    echo "unknown scenario $scenario"
    exit 2
    ;;
esac
echo "PASS ($scenario)"
