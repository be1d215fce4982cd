#!/usr/bin/env bash
# Runs fuzz targets for a long time each (default an hour), then merges what they found
# into the kept corpus, tests/data/<target>/: only inputs that reach code the kept ones
# do not (edges, not hit counts), smallest first, so the corpus stays small. The whole
# corpus stays in the work directory for the next long run. A crash, leak or hang stops
# that target's run and is left in its findings directory with a note on where it goes.
#
#   fuzz-long.sh DIR [SECONDS]        DIR: the fuzz build's fuzz/ directory
#   FUZZ_TARGETS="fuzz_a fuzz_b"      only these targets (default: every target in DIR)
#   FUZZ_JOBS=N                       N parallel jobs per target (libFuzzer -jobs/-workers)
#   FUZZ_WORK=DIR                     where corpora and findings are kept (default DIR/long)
set -euo pipefail
dir=$(cd "$1" && pwd)
seconds=${2:-3600}
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/fuzz-options.sh"
work=${FUZZ_WORK:-$dir/long}
jobs=${FUZZ_JOBS:-1}
# The kept corpora together stay below this (kilobytes), so the repository stays small.
corpus_budget_kb=2048

targets=()
if [ -n "${FUZZ_TARGETS:-}" ]; then
  for name in $FUZZ_TARGETS; do targets+=("$dir/$name"); done
else
  shopt -s nullglob
  targets=("$dir"/fuzz_*)
fi

# Where a finding of this target belongs once it is understood and fixed.
finding_note() {
  local name=$1 file=$2
  if [[ $name == fuzz_decrypt_file* ]]; then
    echo "   container: copy it into the container kit as tests/data/containers/<the_fault>.vlt and"
    echo "   add its row (file name, expected ResultCode) to the table in"
    echo "   tests/container/container_kit_test.cpp."
  else
    echo "   copy it to tests/data/$name/<what_it_breaks> (the replay test runs it) and add a unit"
    echo "   test of the fault beside the code's own tests."
  fi
  echo "   reproduce: $dir/$name $file"
}

findings=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || { echo "no fuzz target $target"; exit 1; }
  name=$(basename "$target")
  kept=$root/tests/data/$name
  corpus=$work/$name/corpus
  found=$work/$name/findings
  mkdir -p "$corpus" "$found" "$kept"
  parallel=()
  [ "$jobs" -gt 1 ] && parallel=(-jobs="$jobs" -workers="$jobs")
  echo "== $name for ${seconds}s ($jobs job(s)); corpus $corpus"
  status=0
  (cd "$work/$name" && "$target" -max_total_time="$seconds" -timeout=10 "${fuzz_options[@]}" \
      "${parallel[@]}" -print_final_stats=1 -artifact_prefix="$found/" "$corpus" "$kept") || status=$?
  for file in "$found"/*; do
    [ -e "$file" ] || continue
    findings=$((findings + 1))
    echo "!! $name found $(basename "$file")"
    finding_note "$name" "$file"
  done
  [ "$status" -eq 0 ] || echo "!! $name stopped with status $status"
  before=$(ls "$kept" | wc -l)
  "$target" -merge=1 -use_counters=0 "${fuzz_options[@]}" "$kept" "$corpus" 2>&1 | grep -E '^MERGE-OUTER: [0-9]+ new files' || true
  echo "   $name keeps $(ls "$kept" | wc -l) inputs (was $before): $(du -sh "$kept" | cut -f1)"
done

total_kb=$(du -sk "$root"/tests/data/fuzz_* | awk '{sum += $1} END {print sum}')
echo "== kept corpora: ${total_kb} KB in all (budget ${corpus_budget_kb} KB); commit tests/data/ when the replay tests pass"
[ "$total_kb" -le "$corpus_budget_kb" ] || echo "!! over budget: remove the largest new inputs, or merge with -max_len"
[ "$findings" -eq 0 ] || { echo "!! $findings finding(s), listed above"; exit 1; }
