#!/usr/bin/env bash
# Starts the real vlt95 on a virtual X display, as `make run` would: the window titled
# "Vaultane 95" must appear with the home directory's listing, a screenshot of it must
# not be blank, and "E&xit" must close it and write the settings file beside the
# program. Exits 77 (skipped) when the display tools are missing.
#   $1  the vlt95 executable
# VLT_SCREENSHOT_DIR, when set, receives main-window.png.
set -euo pipefail

program=${1:?usage: vlt95_on_display.sh path/to/vlt95}
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

for tool in Xvfb xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ -x "$program" ] || fail "$program is not built"

work=$(mktemp -d)
config="$(dirname "$(readlink -f "$program")")/vlt95.cfg"
xvfb_pid="" program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  # The developer's own configuration file comes back as it was.
  if [ -e "$work/saved.cfg" ]; then mv -f "$work/saved.cfg" "$config"; else rm -f "$config"; fi
  rm -rf "$work"
}
trap cleanup EXIT
[ -e "$config" ] && mv "$config" "$work/saved.cfg"

# A home directory with known contents.
home="$work/home"
mkdir -p "$home/letters" "$home/photos" "$work/runtime"
chmod 700 "$work/runtime"
printf 'Dear Ann,\n' > "$home/alpha.txt"
head -c 4321 /dev/zero > "$home/budget-2026.ods"
printf '#!/bin/sh\n' > "$home/notes.md"

# Xvfb picks a free display itself and writes its number to fd 3.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY=":$(tr -d '[:space:]' < "$work/display")"

HOME="$home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
  "$program" >"$work/vlt95.log" 2>&1 &
program_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vaultane 95$' | head -n 1) ||
  fail "no window titled \"Vaultane 95\" appeared; vlt95 said: $(cat "$work/vlt95.log")"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = "620x460" ] || fail "the first start should be 620x460, the window is $size"

# The first listing runs at the first paint: wait until the list's icon column shows
# the entries' icons (while the listing runs, the area shows only a centred progress text).
shot="$work/main-window.png"
list_colours=0
for _ in $(seq 30); do
  sleep 0.5
  import -window "$window" "$shot"
  list_colours=$(convert "$shot" -crop 30x130+0+90 +repage -format %k info:)
  [ "$list_colours" -gt 4 ] && break
done
[ "$list_colours" -gt 4 ] || fail "the file list is empty in the screenshot ($list_colours colours)"
colours=$(convert "$shot" -format %k info:)
[ "$colours" -gt 16 ] || fail "the screenshot is blank ($colours colours)"
sleep 0.5 # the status bar is written last
import -window "$window" "$shot"
if [ -n "${VLT_SCREENSHOT_DIR:-}" ]; then
  mkdir -p "$VLT_SCREENSHOT_DIR"
  cp "$shot" "$VLT_SCREENSHOT_DIR/main-window.png"
fi

# "E&xit" by its mnemonic.
xdotool windowfocus --sync "$window"
xdotool key --window "$window" alt+x
for _ in $(seq 150); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program_pid" 2>/dev/null && fail "E&xit did not close the window"
status=0
wait "$program_pid" || status=$?
program_pid=""
[ "$status" -eq 0 ] || fail "vlt95 ended with status $status: $(cat "$work/vlt95.log")"

[ -s "$config" ] || fail "no settings file was written at $config"
[ "$(stat -c %s "$config")" -eq 620 ] || fail "the settings file is not 620 bytes"
# The browser path it stored is the home directory's listing.
grep -aqF "$home/*.*" "$config" || fail "the stored browser path is not $home/*.*"
echo "vlt95 showed $home/*.* on $DISPLAY and wrote $config on exit"
