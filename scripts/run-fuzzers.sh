#!/usr/bin/env bash
# Runs every fuzz target in DIR for SECONDS each, as many at once as there are cores
# (FUZZ_PARALLEL overrides); a crash, leak or sanitizer report fails the run. Seeds
# come from tests/data/<target>/ when it exists. Each target's output is printed
# when it ends, so parallel runs do not interleave.
set -euo pipefail
dir=$(cd "$1" && pwd)
seconds=$2
parallel=${FUZZ_PARALLEL:-$(nproc)}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/fuzz-options.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_target() {
  local target=$1 name corpus seeds=()
  name=$(basename "$target")
  corpus="$work/$name"
  mkdir -p "$corpus"
  [ -d "$root/tests/data/$name" ] && seeds+=("$root/tests/data/$name")
  (cd "$corpus" && "$target" -max_total_time="$seconds" "${fuzz_options[@]}" -print_final_stats=1 \
      "$corpus" "${seeds[@]}") >"$work/$name.log" 2>&1
}

shopt -s nullglob
targets=()
for target in "$dir"/fuzz_*; do
  [ -x "$target" ] && targets+=("$target")
done

failed=()
for ((first = 0; first < ${#targets[@]}; first += parallel)); do
  batch=("${targets[@]:first:parallel}")
  pids=()
  for target in "${batch[@]}"; do
    echo "== $(basename "$target") for ${seconds}s"
    run_target "$target" &
    pids+=($!)
  done
  for i in "${!batch[@]}"; do
    name=$(basename "${batch[$i]}")
    status=0
    wait "${pids[$i]}" || status=$?
    echo "== $name ended with status $status"
    cat "$work/$name.log"
    [ "$status" -eq 0 ] || failed+=("$name")
  done
done
[ ${#failed[@]} -eq 0 ] || { echo "!! failed: ${failed[*]}"; exit 1; }
