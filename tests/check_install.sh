#!/usr/bin/env bash
# Installs the build into a temporary prefix (no root needed) and checks that every file is where
# a Linux desktop looks for it: the three programs, the desktop entry with the program and the
# icon it names, the icon's sizes, the AppStream metadata with the entry it launches, the manual
# pages and the bash completion; and that an installed program keeps its settings in the XDG
# config folder. The validators (desktop-file-validate, appstreamcli, groff), which
# scripts/package.sh installs, also run when they are there.
#   check_install.sh CMAKE BUILD_DIR
set -u
cmake=$1
build=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
if ! "$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi

bad=0
fail() {
    echo "FAIL: $*"
    bad=1
}
need() {
    [ -f "$prefix/$1" ] || fail "$1 is missing"
}
skip() {
    echo "SKIP: $1 is not installed"
}

for program in q7400-config q7400ctl q7400-sim; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
    need "share/man/man1/$program.1"
done

# The desktop entry starts an installed program and names an installed icon.
entry=share/applications/q7400-config.desktop
need $entry
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$prefix/$entry")
[ -x "$prefix/bin/$exec" ] || fail "the desktop entry's Exec=$exec is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$prefix/$entry")
need "share/icons/hicolor/scalable/apps/$icon.svg"
# Each PNG is as large as its folder says (width and height in the IHDR chunk).
for size in 16 24 32 48 64 128 256; do
    png=share/icons/hicolor/${size}x$size/apps/$icon.png
    need "$png"
    [ -f "$prefix/$png" ] || continue
    read -r -a b < <(od -An -tu1 -j16 -N8 "$prefix/$png")
    width=$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))
    height=$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))
    [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
        fail "$png is ${width}x$height"
done

# One metadata file, named after its component, launching the desktop entry, for this version.
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
if [ ${#metainfo[@]} -ne 1 ] || [ ! -f "${metainfo[0]}" ]; then
    fail "expected one file in share/metainfo"
else
    id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "${metainfo[0]}")
    [ "$(basename "${metainfo[0]}")" = "$id.metainfo.xml" ] ||
        fail "the metadata file is not named after its id $id"
    grep -q "<launchable type=\"desktop-id\">$(basename $entry)</launchable>" "${metainfo[0]}" ||
        fail "the metadata does not launch $(basename $entry)"
    version=$("$prefix/bin/q7400ctl" --version | sed -n 's/^q7400ctl //p')
    grep -q "<release version=\"$version\"" "${metainfo[0]}" ||
        fail "the metadata has no release $version"
fi

# The completion offers the commands.
completion=$prefix/share/bash-completion/completions/q7400ctl
need share/bash-completion/completions/q7400ctl
if [ -f "$completion" ]; then
    offered=$(bash -c 'source "$1"; COMP_WORDS=(q7400ctl pa); COMP_CWORD=1; _q7400ctl;
                       echo "${COMPREPLY[*]}"' _ "$completion")
    [ "$offered" = "parameters paraset" ] || fail "completing 'q7400ctl pa' offers '$offered'"
fi

# An installed program keeps its settings in the XDG config folder, never beside itself.
settings=$(HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config "$prefix/bin/q7400ctl" --help |
    sed -n 's/^Settings file: //p')
[ "$settings" = "$tmp/config/q7400/Q7400n.cfg" ] ||
    fail "the installed q7400ctl uses the settings file '$settings'"
"$prefix/bin/q7400-sim" --version >/dev/null || fail "the installed q7400-sim does not start"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/$entry" || fail "desktop-file-validate"
else
    skip desktop-file-validate
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "${metainfo[@]}" >"$tmp/appstream.log" 2>&1 ||
        { cat "$tmp/appstream.log"; fail "appstreamcli validate"; }
else
    skip appstreamcli
fi
if command -v groff >/dev/null; then
    for page in "$prefix"/share/man/man1/*.1; do
        warnings=$(groff -ww -man -z -k "$page" 2>&1)
        [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    done
else
    skip groff
fi
exit $bad
