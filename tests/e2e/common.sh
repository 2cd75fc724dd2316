# Helpers of the end-to-end scripts, sourced. The caller sets sim, cli and check (the programs), name
# (what a failure is reported as) and work (a folder of its own, holding the radio's link, state,
# transcript and the recovery files); fail ends the calling shell.
sims=()
esn_file=1234ABCD
# The support logs go here, not into the user's own folder.
export XDG_STATE_HOME="$work/xdg"
logs="$XDG_STATE_HOME/p25update/logs"

fail() {
  echo "FAIL ($name): $*"
  echo "--- updater output"; cat "$work/cli.out" 2>/dev/null
  echo "--- simulator"; cat "$work/sim.out" 2>/dev/null
  exit 1
}

# start_sim [sim options...]: serves the radio on $work/radio, its state in $work/state.
start_sim() {
  : >"$work/sim.out"
  "$sim" --link "$work/radio" --state "$work/state" --transcript "$work/transcript" "$@" >"$work/sim.out" 2>&1 &
  sims+=($!)
  for _ in $(seq 100); do grep -q '^READY' "$work/sim.out" && return 0; sleep 0.1; done
  fail "simulator did not start"
}
# Stopped, the simulator saves the radio's state.
stop_sims() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  sims=()
}
# Switches the radio off and on, and waits until it is on again.
power_cycle() {
  local before
  before=$(grep -c '^.* -- power on: ' "$work/transcript")
  kill -USR1 "${sims[0]}"
  for _ in $(seq 50); do
    [ "$(grep -c '^.* -- power on: ' "$work/transcript")" -gt "$before" ] && return 0
    sleep 0.1
  done
  fail "radio did not power on"
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
# expect_radio FIRMWARE_DIR 503|501 SERIAL, or expect_radio untouched SERIAL (nothing erased).
expect_radio() { "$check" "$work/state" "$@" || fail "radio state"; }
expect_recovery_file() { [ -e "$work/$esn_file" ] || fail "recovery file lost"; }
expect_no_recovery_file() { [ ! -e "$work/$esn_file" ] || fail "recovery file left behind"; }
# expect_log FILE LINE...: the support log FILE holds each line.
expect_log() {
  local file=$1
  shift
  [ -f "$file" ] || fail "no support log $file"
  for line in "$@"; do grep -qF -- "$line" "$file" || { cat "$file"; fail "support log lacks: $line"; }; done
}
# After "Radio not responding" the technician is told what to do.
expect_power_cycle_advice() {
  grep -qi "switch the radio off and on" "$work/cli.out" || fail "no advice to switch the radio off and on"
}
