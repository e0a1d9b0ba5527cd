#!/usr/bin/env bash
# Builds and runs the read-everything benchmark against the simulator with wire timing
# (19200 baud, even parity). Not part of the test run. Arguments go to bench_readall
# (--runs N, --firmware BYTE). BUILD_DIR selects the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ] && [ ! -f "$BUILD_DIR/Makefile" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" --target bench_readall q7400-sim
exec "$BUILD_DIR/bin/bench_readall" "$@"
