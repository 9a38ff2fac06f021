#!/usr/bin/env bash
# Renders the desktop icon sizes from the drawing; run after changing qmquery.svg and commit the PNGs.
# Needs rsvg-convert (Debian package librsvg2-bin), which the build itself does not.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" qmquery.svg -o "qmquery-$size.png"
done
