#!/usr/bin/env bash
# Installs the Debian packages needed to build and test the Q7400 configurator (run as root).
# Packages given as arguments are installed too (scripts/fuzz.sh adds clang, scripts/package.sh
# its tools).
set -euo pipefail
packages=(cmake ninja-build g++ ccache qt6-base-dev qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev
    qt6-translations-l10n fonts-dejavu-core "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Another apt run holding the lock is waited for, not failed on.
    apt-get -o DPkg::Lock::Timeout=600 update
    apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi
