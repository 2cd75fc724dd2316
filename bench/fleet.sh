#!/usr/bin/env bash
# Several radios at once against one: wall time, CPU time and peak memory of p25update-cli updating
# N simulated radios on N pseudo-terminals, next to the same for one radio.
#   bench/fleet.sh BUILD [N] [FIRMWARE_DIR]   (default: the carried set, shared by every session)
set -euo pipefail
build=${1:?build folder}
n=${2:-8}
firmware=${3:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/p25fleet-XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

run() {
  local count=$1 ports=()
  for i in $(seq "$count"); do
    "$build/sim/p25radio-sim" --link "$work/r$count-$i" --serial $((5000 + i)) \
      --esn "$(printf '%08X' $((0x10000 * count + i)))" >"$work/sim$count-$i.out" 2>&1 &
    ports+=(--port "$work/r$count-$i")
  done
  for i in $(seq "$count"); do
    for _ in $(seq 100); do grep -q '^READY' "$work/sim$count-$i.out" && break; sleep 0.1; done
  done
  /usr/bin/time -f "%e %U %S %M" -o "$work/time$count" "$build/cli/p25update-cli" --recovery-dir "$work" --yes \
    ${firmware:+--firmware-dir "$firmware"} "${ports[@]}" >"$work/cli$count.out" 2>&1 || true
  read -r wall user sys rss <"$work/time$count"
  local done
  done=$(grep -Ec "^(Update Completed Succesfully|.* [0-9]+:[0-9]+ +Update Completed Succesfully)$" "$work/cli$count.out" || true)
  echo "$count radio(s): wall ${wall} s, CPU $(awk "BEGIN{print $user + $sys}") s (user $user, system $sys), peak memory $((rss / 1024)) MB, completed $done"
  eval "wall$count=$wall"
}

run 1
run "$n"
echo "ratio of wall times: $(awk "BEGIN{printf \"%.4f\", $(eval echo \$wall$n) / $wall1}")"
