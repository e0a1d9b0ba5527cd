#!/usr/bin/env bash
# Renders the program's windows to PNG files in docs/ on the offscreen platform: the main
# window at start, after a read from the bundled simulator (English), its wiring picture in
# English and German (wiring-LANG-A0, -A2, -extended), and in French.
# BUILD_DIR chooses the build folder (default build/, built first when the program is missing).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
if [ ! -x "$build/bin/q7400-config" ] || [ ! -x "$build/bin/q7400-sim" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build" -j "$(nproc)" --target q7400-config q7400-sim
fi
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/bin/q7400-config" --simulator --screenshots docs
