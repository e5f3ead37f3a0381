#!/usr/bin/env bash
# Renders the program's icon into the PNG sizes the window, the tray and the
# task bar pick from. Run after changing quireflow.svg (needs rsvg-convert,
# Debian package librsvg2-bin); the PNG files are kept in the sources.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" quireflow.svg -o "quireflow-$size.png"
done
