#!/usr/bin/env bash
# Configures and builds everything into build/ (executables in build/bin/).
# Extra arguments go to CMake, e.g. scripts/build.sh -DQ7400_SANITIZE=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths below the source folder are hashed relative to it, so a fresh clone in another folder
# reuses what ccache already compiled.
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j "$(nproc)"
