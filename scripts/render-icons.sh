#!/usr/bin/env bash
# Renders the programs' scalable icons into the fixed sizes a desktop install carries
# (packaging/icons/<size>x<size>/). Run after changing an SVG and commit the PNGs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for svg in "$root/ui/icons/vlt95.svg" "$root/packaging/icons/tarnex95.svg"; do
    for size in 48 64 128; do
        out="$root/packaging/icons/${size}x${size}"
        mkdir -p "$out"
        rsvg-convert --width "$size" --height "$size" "$svg" --output "$out/$(basename "$svg" .svg).png"
    done
done
