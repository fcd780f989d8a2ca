#!/bin/sh
# Makes docs/screenshot.png: the main window showing the answers for a German operator in
# Australia, with the line that names his home call's pile, in its openbox frame, taken on a
# private X display by the end-to-end test's harness.
#
#   tools/screenshot.sh [BUILD_DIR] [CALL]
#
# BUILD_DIR holds a build of vorn and vorn-lookup (default: build); CALL is the call typed
# (default: VK2/DL1ABC). Needs Xvfb, openbox, xdotool, dbus-run-session, at-spi2-core,
# python3-pyatspi and ImageMagick, as the end-to-end tests do.
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$source_dir/build"}
call=${2:-VK2/DL1ABC}

find_built() {
    found="$build_dir/src/programs/$1"
    [ -x "$found" ] || found=$(find "$build_dir" -type f -name "$1" -perm -u+x 2>/dev/null | head -n 1)
    if [ -z "$found" ]; then
        echo "screenshot.sh: $1 not found under $build_dir; build it first" >&2
        exit 1
    fi
    echo "$found"
}

vorn=$(find_built vorn)
lookup=$(find_built vorn-lookup)

exec /usr/bin/python3 "$source_dir/tests/programs/vorn_e2e.py" \
    --vorn "$vorn" --lookup "$lookup" --files "$source_dir/files" \
    --window-manager openbox --screenshot "$source_dir/docs/screenshot.png" "$call"
