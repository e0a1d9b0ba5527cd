#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configurator connected to the bundled
# controller simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/bin/q7400-config --simulator "$@"
