#!/usr/bin/env bash
# Builds and runs the benchmarks against the simulator with wire timing (19200 baud, even
# parity). Not part of the test run.
#   bench/run.sh                  both benchmarks
#   bench/run.sh readall [ARGS]   reading everything (--runs N, --firmware BYTE)
#   bench/run.sh monitor [ARGS]   cyclic monitoring (--seconds S)
# BUILD_DIR selects the build folder (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ] && [ ! -f "$BUILD_DIR/Makefile" ]; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" --target bench_readall bench_monitor q7400-sim
case "${1:-}" in
readall | monitor)
    name=$1
    shift
    exec "$BUILD_DIR/bin/bench_$name" "$@"
    ;;
"")
    status=0
    "$BUILD_DIR/bin/bench_readall" || status=$?
    "$BUILD_DIR/bin/bench_monitor" || status=$?
    exit $status
    ;;
*)
    exec "$BUILD_DIR/bin/bench_readall" "$@" # options of the read benchmark, as before
    ;;
esac
