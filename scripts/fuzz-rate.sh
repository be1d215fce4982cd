#!/usr/bin/env bash
# Runs every fuzz target in DIR for RUNS executions (at most 60 seconds) from its seed
# corpus, tests/data/<target>/, and prints executions per second (the seed is fixed, but
# the schedule that favours quick inputs makes the runs vary a little).
set -euo pipefail
dir=$(cd "$1" && pwd)
runs=$2
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/fuzz-options.sh"
shopt -s nullglob
printf '%-28s %10s %10s\n' target executions per_second
for target in "$dir"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d) # new units land here, never in the kept seeds
  seeds=()
  [ -d "$root/tests/data/$name" ] && seeds+=("$root/tests/data/$name")
  start=$(date +%s.%N)
  stats=$(cd "$corpus" && "$target" -runs="$runs" -max_total_time=60 -seed=1 "${fuzz_options[@]}" \
      -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | grep '^stat::')
  elapsed=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN {print e - s}')
  rm -rf "$corpus"
  executed=$(awk '/number_of_executed_units/ {print $2}' <<<"$stats")
  # From the wall time: libFuzzer's own figure is whole seconds, 0 for a fast target.
  rate=$(awk -v n="$executed" -v t="$elapsed" 'BEGIN {printf "%d", n / t}')
  printf '%-28s %10s %10s\n' "$name" "$executed" "$rate"
done
