#!/usr/bin/env bash
# Runs every fuzz target in DIR for SECONDS each; a crash, leak or sanitizer
# report fails the run. Seeds come from tests/data/<target>/ when it exists.
set -euo pipefail
dir=$(cd "$1" && pwd)
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/fuzz-options.sh"
shopt -s nullglob
for target in "$dir"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds=()
  [ -d "$root/tests/data/$name" ] && seeds+=("$root/tests/data/$name")
  echo "== $name for ${seconds}s"
  (cd "$corpus" && "$target" -max_total_time="$seconds" "${fuzz_options[@]}" -print_final_stats=1 \
      "$corpus" "${seeds[@]}")
  rm -rf "$corpus"
done
