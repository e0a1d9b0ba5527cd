#!/usr/bin/env bash
# Renders the program's icon (packaging/icons/q7400-config.svg) into the PNG sizes of the
# desktop's icon theme, packaging/icons/<size>/q7400-config.png. Run it after changing the SVG
# and commit the PNG files with it: the build itself needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rsvg-convert >/dev/null; then
    echo "Installing: librsvg2-bin"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends librsvg2-bin
fi
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "packaging/icons/$size"
    rsvg-convert -w "$size" -h "$size" packaging/icons/q7400-config.svg \
        -o "packaging/icons/$size/q7400-config.png"
done
