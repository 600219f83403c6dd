#!/usr/bin/env bash
# Makes the icon's PNG sizes for the hicolor theme from quillmark.svg (rsvg-convert, librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" quillmark.svg -o "quillmark-$size.png"
done
