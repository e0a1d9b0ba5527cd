#!/usr/bin/env bash
# Fails when a source file includes a header of a layer above its own. Layers, lowest first:
#   base < i18n < link < device < config = params = services < app < ui (src/*/ui/) < sim, cli
# Core files (everything outside ui/, sim/, cli/ and the main.cpp entry points) never include a
# widget header.
set -u
src=${1:-$(dirname "$0")/../src}
cd "$src" || exit 2

level() {
    case "$1" in
    */ui/*) echo 6 ;;
    base/*) echo 0 ;;
    i18n/*) echo 1 ;;
    link/*) echo 2 ;;
    device/*) echo 3 ;;
    config/* | params/* | services/*) echo 4 ;;
    app/*) echo 5 ;;
    sim/* | cli/*) echo 7 ;;
    *) echo 9 ;;
    esac
}

bad=0
while IFS= read -r file; do
    own=$(level "$file")
    case "$file" in */main.cpp) own=8 ;; esac
    while IFS=: read -r line header; do
        [ -n "$header" ] || continue
        target=$(level "$header")
        if [ "$target" -gt "$own" ]; then
            echo "$file:$line includes $header from a layer above its own"
            bad=1
        fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
    if [ "$own" -le 5 ] &&
        grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(QtWidgets/?|QWidget|QMainWindow|QDialog|QLabel|QLineEdit|QApplication|QPushButton|QCheckBox|QComboBox|QMessageBox|QFileDialog|QTableView|QPrinter|QPrintDialog)' \
            "$file" >/dev/null; then
        echo "$file includes a widget header, but it is core code"
        bad=1
    fi
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##' | sort)
exit $bad
