#!/usr/bin/env bash
# Crash safety: p25update-cli killed with SIGKILL at a dozen moments spread over an update, in six
# series run side by side, each on a radio of its own that loses its serial number when erased. Some
# kills are followed by a power cycle. After a kill the next run goes on towards the series' next
# moment, and after the last one runs to the end. Every run answers Yes to the serial-number question;
# one that ends with "Radio not responding" must advise switching the radio off and on, which is then
# done before running again. In the end each radio holds the images and its own serial number, and its
# recovery file is gone.
set -uo pipefail
sim=$1 cli=$2 check=$3 small=$4
seed=${P25_CRASH_SEED:-2511}
root=$(mktemp -d "${TMPDIR:-/tmp}/p25e2e-crash-XXXXXX")
here=$(dirname "$0")

# A moment: "what|transcript text|N|D|cycle": killed D ms at most (drawn from the seed) after the Nth
# line of this run's transcript holding the text; "cycle" switches the radio off and on afterwards.
# Each series pairs an early moment with a late one, so that none outlasts the others by much.
series1=("identification|ReadSerialNumber Query|1|30|"
         "restore, number written back|SetSerialNumber Command|1|5|")
series2=("FLASH code at the raised rate|-- rate now 38400|1|300|"
         "reboot|-- rebooting|1|4000|")
series3=("boot mode|EnterBootMode Notice|1|5|"
         "restore, radio restarted|-- restarted: console|1|60|cycle")
series4=("boot code download|DownloadBootCode Confirm|3|5|cycle"
         "CONTROL B just signed|-- image signature accepted|2|20|cycle")
series5=("FLASH code started|-- FLASH code running|1|100|"
         "writes|WriteFlash Confirm|3|5|")
series6=("erase|EraseFlash Command|1|350|cycle"
         "CONTROL A signature sent|SendSignature Command|2|10|")

# The last line the updater printed, progress bars aside.
last_step() { grep -v '^overall ' "$work/cli.out" | tail -n 1; }

# Reads this series' transcript as it grows: waits while process $3 runs for the $2th new line
# holding $1.
wait_moment() {
  local text=$1 nth=$2 pid=$3 line seen=0
  while :; do
    while IFS= read -r -u "$transcript" line; do
      line=$partial$line
      partial=
      [[ $line == *"$text"* ]] && ((++seen == nth)) && return 0
    done
    partial+=$line
    kill -0 "$pid" 2>/dev/null || return 1
    nap 0.01
  done
}
skip_transcript() { while IFS= read -r -u "$transcript" _; do :; done; }

start_cli() {
  skip_transcript
  "$cli" --recovery-dir "$work" --port "$work/radio" --firmware-dir "$small" --yes </dev/null >"$work/cli.out" 2>&1 &
  pid=$!
}
# After a run that ended by itself with status $1: power cycle if the updater said the radio was not
# responding (and advised it), otherwise fail.
after_failed_run() {
  grep -q "^Error: Radio not responding" "$work/cli.out" || fail "run ended with status $1: $(last_step)"
  expect_power_cycle_advice
  power_cycle
  echo "    run failed: Radio not responding, with the advice; switched off and on: $(powered_up)"
}
powered_up() { grep ' -- power on: ' "$work/transcript" | tail -n 1 | sed 's/.* -- power on: //'; }

run_series() {
  local index=$1 serial=$2
  shift 2
  name="series $index"
  work="$root/series-$index"
  mkdir -p "$work"
  source "$here/common.sh"
  trap stop_sims EXIT
  RANDOM=$((seed + index))
  mkfifo "$work/nap"
  exec {nap}<>"$work/nap"
  nap() { read -r -t "$1" -u "$nap" _; }
  partial=

  start_sim --serial "$serial" --lose-serial
  exec {transcript}<"$work/transcript"
  local moment what text nth most cycle delay status runs
  for moment in "$@"; do
    IFS='|' read -r what text nth most cycle <<<"$moment"
    delay=$((RANDOM % (most + 1)))
    status=none
    for runs in 1 2 3; do
      start_cli
      if wait_moment "$text" "$nth" "$pid"; then
        nap "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
        kill -KILL "$pid" 2>/dev/null
        { wait "$pid"; } 2>/dev/null
        status=$?
        [ "$status" = 137 ] || fail "the updater ended by itself (status $status) before the kill at: $what"
        nap 0.1  # the simulator frees the port the killed updater held, as a real port's last close does
        echo "killed at $what (\"$text\" #$nth + $delay ms), the updater at: $(last_step)"
        break
      fi
      wait "$pid"
      after_failed_run $?
    done
    [ "$status" = 137 ] || fail "never reached: $what"
    if [ "$cycle" = cycle ]; then
      power_cycle
      echo "    switched off and on: $(powered_up)"
    fi
  done
  for runs in 1 2 3; do
    start_cli
    wait "$pid"
    status=$?
    [ "$status" = 0 ] && break
    after_failed_run "$status"
  done
  [ "$status" = 0 ] || fail "the update never completed"
  expect_line "Update Completed Succesfully"
  echo "run to the end: $(grep '^Radio serial number: ' "$work/cli.out")"
  stop_sims
  expect_radio "$small" 503 "$serial"
  expect_no_recovery_file
  echo "PASS ($name)"
}

cleanup() {
  for job in $(jobs -p); do kill "$job" 2>/dev/null; done
  wait
  [ "${KEEP:-0}" = 1 ] || rm -rf "$root"
}
trap cleanup EXIT

started=$EPOCHSECONDS
for index in 1 2 3 4 5 6; do
  declare -n moments="series$index"
  run_series "$index" "500$index" "${moments[@]}" >"$root/series-$index.log" 2>&1 &
done
failed=0
for job in $(jobs -p); do wait "$job" || failed=1; done
for index in 1 2 3 4 5 6; do
  echo "=== series $index"
  cat "$root/series-$index.log"
done
echo "seed $seed, $((EPOCHSECONDS - started)) s"
[ "$failed" = 0 ] || { echo "FAIL (crash-safety)"; exit 1; }
echo "PASS (crash-safety)"
