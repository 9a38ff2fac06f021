#!/usr/bin/env bash
# Renders the desktop icon sizes from the drawing; run after changing qmquery.svg and commit the PNGs.
# Needs rsvg-convert (Debian package librsvg2-bin) and ImageMagick, which the build itself does not.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" qmquery.svg -o "qmquery-$size.png"
done
# The Windows program's icon, as Explorer shows it: the same sizes in one .ico (ImageMagick).
convert qmquery-16.png qmquery-32.png qmquery-48.png qmquery-64.png qmquery-128.png qmquery-256.png \
    ../windows/qmquery.ico
