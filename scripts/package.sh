#!/usr/bin/env bash
# Builds the Debian package dist/q7400-config_<version>_<arch>.deb and checks it: the desktop
# entry with desktop-file-validate, the AppStream metadata with appstreamcli, the package with
# lintian. Installs the packages it needs (run as root), builds in build-package/ (BUILD_DIR to
# choose another folder) with Debian's build flags, without the tests.
# The packager is DEBFULLNAME <DEBEMAIL> when these are set, else git's user or the last
# commit's author.
# Then: apt install ./dist/q7400-config_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
# The build's packages, and the tools that make and check the package.
scripts/install-deps.sh dpkg-dev file desktop-file-utils appstream lintian

if [ -n "${DEBFULLNAME:-}" ] && [ -n "${DEBEMAIL:-}" ]; then
    maintainer="$DEBFULLNAME <$DEBEMAIL>"
elif git config user.name >/dev/null && git config user.email >/dev/null; then
    maintainer="$(git config user.name) <$(git config user.email)>"
else
    maintainer=$(git log -1 --format='%an <%ae>')
fi

build="${BUILD_DIR:-build-package}"
export CCACHE_BASEDIR="$PWD"
# Debian's hardening and optimisation flags; CMake reads them when it configures a new folder.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DQ7400_TESTS=OFF "-DQ7400_MAINTAINER=$maintainer"
cmake --build "$build" -j "$(nproc)"
rm -rf dist
cpack --config "$build/CPackConfig.cmake" -B dist
rm -rf dist/_CPack_Packages
deb=$(ls dist/q7400-config_*.deb)

# Check what the package holds, as it holds it.
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$deb"
echo "Built and checked: $deb"
echo "Install it with: apt install ./$deb"
