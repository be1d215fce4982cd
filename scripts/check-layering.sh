#!/usr/bin/env bash
# Fails when a source file includes a header of a folder that cmake/layers.txt does not
# let its folder build on (directly or through the folders it builds on). Prints every
# such include as file:line: the include, and what the folder may use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

declare -A direct    # folder -> the folders it builds on directly
while IFS= read -r line; do
    line=${line%%#*}
    [[ $line =~ ^[[:space:]]*([a-z0-9_]+):(.*)$ ]] || continue
    direct[${BASH_REMATCH[1]}]=$(echo ${BASH_REMATCH[2]})
done < cmake/layers.txt

# Every folder reachable from $1 along the table's edges, $1 included.
reachable() {
    local -A seen=()
    local pending=("$1") folder next
    while [ ${#pending[@]} -gt 0 ]; do
        folder=${pending[-1]}
        unset 'pending[-1]'
        [ -n "${seen[$folder]:-}" ] && continue
        seen[$folder]=1
        for next in ${direct[$folder]:-}; do pending+=("$next"); done
    done
    printf '%s\n' "${!seen[@]}" | sort | tr '\n' ' '
}

failures=0
for folder in "${!direct[@]}"; do
    [ -d "$folder" ] || continue
    allowed=" $(reachable "$folder")"
    # "folder/..." or <folder/...> where folder is one of the project's top-level folders.
    while IFS=: read -r file number text; do
        included=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^/">]+)\/.*/\1/' <<<"$text")
        [ -d "$included" ] || continue
        if [[ $allowed != *" $included "* ]]; then
            echo "$file:$number: $text -- $folder/ may use only:$allowed(cmake/layers.txt)"
            failures=$((failures + 1))
        fi
    done < <(grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' \
                 '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<][^/">]+/' "$folder" || true)
done

if [ "$failures" -gt 0 ]; then
    echo "$failures include(s) across a missing edge of cmake/layers.txt"
    exit 1
fi
echo "Every include follows cmake/layers.txt"
