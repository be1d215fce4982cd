#!/usr/bin/env bash
# Line coverage of the logic, clang source-based, in BUILD (a build configured with
# -fprofile-instr-generate -fcoverage-mapping): (a) the fuzz corpora alone, every
# target's kept corpus replayed by its replay_fuzz_* test, and (b) everything, the
# whole ctest run. Prints line coverage per folder for both and writes an HTML report
# of each to BUILD/coverage/{fuzz,all}/index.html.
set -euo pipefail
build=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
out=$build/coverage
rm -rf "$out"
mkdir -p "$out/raw-fuzz" "$out/raw-all"

# Code of the logic and the programs; tests, fuzz drivers and system headers are not counted.
ignore='(^|/)(tests|fuzz|build[^/]*)/|^/usr/'
objects=()
while IFS= read -r binary; do
  objects+=(-object "$binary")
done < <(find "$build" -path '*/CMakeFiles' -prune -o -type f -perm -u+x \
             \( -name 'test_*' -o -name 'replay_fuzz_*' -o -name vlt95-cli \) -print | sort)

for replay in "$build"/tests/fuzz/replay_fuzz_*; do
  [ -x "$replay" ] || continue
  LLVM_PROFILE_FILE="$out/raw-fuzz/%p.profraw" "$replay" --gtest_brief=1 >/dev/null || echo "failed: $replay"
done
(cd "$build" && LLVM_PROFILE_FILE="$out/raw-all/%p.profraw" QT_QPA_PLATFORM=offscreen \
    ctest -j2 --output-on-failure >"$out/ctest.log") || echo "some tests failed: $out/ctest.log"

# Lines per folder, each file counted in every folder above it (support/ holds
# support/lzh/), from llvm-cov's per-file table: columns 8 and 9 are lines and missed.
per_folder() {
  llvm-cov report -use-color=false "${objects[@]:1}" -instr-profile="$1" -ignore-filename-regex="$ignore" |
    awk -v root="$root/" '
      $1 != "Filename" && $1 != "TOTAL" && $2 ~ /^[0-9]+$/ && NF >= 10 {
        file = index($1, root) == 1 ? substr($1, length(root) + 1) : $1
        folder = ""
        count = split(file, parts, "/")
        for (i = 1; i < count; ++i) {
          folder = folder parts[i] "/"
          lines[folder] += $8; missed[folder] += $9
        }
        all += $8; allMissed += $9
      }
      END {
        for (f in lines) printf "  %-20s %6d lines %6.1f%%\n", f, lines[f], 100 * (lines[f] - missed[f]) / lines[f] | "sort"
        close("sort")
        printf "  %-20s %6d lines %6.1f%%\n", "all", all, 100 * (all - allMissed) / all
      }'
}

declare -A title=([fuzz]="the fuzz corpora alone" [all]="the fuzz corpora and all tests")
for set in fuzz all; do
  llvm-profdata merge -sparse "$out/raw-$set"/*.profraw -o "$out/$set.profdata"
  llvm-cov show "${objects[@]:1}" -instr-profile="$out/$set.profdata" -ignore-filename-regex="$ignore" \
      -format=html -show-line-counts-or-regions -output-dir="$out/$set"
  echo "== line coverage by ${title[$set]}"
  per_folder "$out/$set.profdata"
done
echo "HTML: $out/fuzz/index.html, $out/all/index.html"
