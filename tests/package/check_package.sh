#!/bin/sh
# Builds the Debian package from a finished build and checks it as a user's machine and
# Debian's tools see it: lintian without errors, a valid desktop entry and AppStream metadata,
# the unpacked vorn-lookup answering on the packaged data and its list of exact calls, a man
# page for every command, each rendering without a warning, icons of the sizes their folders
# claim, the log file types that the desktop entry opens, and the installed folders named as the
# package installs them (/usr, whatever prefix the build was configured with).
# Usage: check_package.sh CPACK BUILD_DIR
set -eu
cpack=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
set -- "$work"/out/vorn_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || { echo "FAIL: no single package in $work/out"; exit 1; }
deb=$1
echo "package: $(basename "$deb")"

echo "--- lintian (errors fail, warnings are listed)"
lintian --fail-on error --tag-display-limit 0 "$deb" > "$work/lintian.log" 2>&1 ||
    fail "lintian reports errors"
grep -v 'running with root privileges' "$work/lintian.log" || true

root=$work/root
dpkg-deb -x "$deb" "$root"
[ "$(ls "$root")" = usr ] || fail "files outside /usr: $(ls "$root")"
[ ! -e "$root/usr/local" ] || fail "files in /usr/local"
echo "build configured for $(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")"

echo "--- folders named in the man pages and the copyright file"
named_folders() { # FILE...: every /usr/... path the files name
    for file in "$@"; do
        case $file in *.gz) gzip -dc "$file" ;; *) cat "$file" ;; esac
    done | grep -o '/usr/[A-Za-z0-9_./-]*' | sort -u
}
named=$(named_folders "$root"/usr/share/man/man1/*.1.gz "$root/usr/share/doc/vorn/copyright")
printf '%s\n' "$named" | grep -qx '/usr/share/vorn/[a-z.]*' ||
    fail "the pages name no file in /usr/share/vorn: $named"
stray=$(printf '%s\n' "$named" | grep -v '^/usr/share/' || true)
[ -z "$stray" ] || fail "the packaged pages name folders outside /usr/share: $stray"
# A plain installation elsewhere names its own folders.
DESTDIR="$work/elsewhere" cmake --install "$build" --prefix /opt/vorn-check > /dev/null ||
    fail "cmake --install"
gzip -dc "$work/elsewhere/opt/vorn-check/share/man/man1/vorn.1.gz" |
    grep -q '/opt/vorn-check/share/vorn/' ||
    fail "vorn(1) installed under /opt/vorn-check does not name /opt/vorn-check/share/vorn"

echo "--- desktop entry and AppStream metadata"
for entry in "$root"/usr/share/applications/*.desktop; do
    if ! out=$(desktop-file-validate "$entry" 2>&1) ||
        printf '%s\n' "$out" | grep -q -e ' error: ' -e ' warning: '; then
        fail "desktop-file-validate $(basename "$entry")"
    fi
    [ -z "$out" ] || printf '%s\n' "$out"
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$root/usr/bin/$program" ] || fail "$(basename "$entry") starts $program, not in the package"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -n "$(find "$root/usr/share/icons/hicolor" -name "$icon.png")" ] ||
        fail "$(basename "$entry") names the icon $icon, not in the package"
done
for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
done

echo "--- the log file types the desktop entry opens"
mime=$work/mime
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$root"/usr/share/mime/packages/*.xml "$mime/packages"
update-mime-database "$mime" > "$work/mime.log" 2>&1 ||
    { cat "$work/mime.log"; fail "update-mime-database refuses the package's file types"; }
for name in mylog.adi mylog.ADIF contest.adx; do
    type=$(awk -F: -v name="$(printf '%s' "$name" | tr 'A-Z' 'a-z')" '
        { pattern = $3; gsub(/\./, "\\.", pattern); gsub(/\*/, ".*", pattern)
          if (name ~ "^" pattern "$") { print $2; exit } }' "$mime/globs2")
    grep -q "^MimeType=.*$type;" "$root/usr/share/applications/vorn.desktop" ||
        fail "$name is '${type:-of no type}', which the desktop entry does not open"
done
grep -q '^Exec=[^ ]* %F$' "$root/usr/share/applications/vorn.desktop" ||
    fail "the desktop entry hands over no files"

echo "--- icons"
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/vorn.png" ] ||
        fail "no icon of ${size}x${size}"
done
for icon in "$root"/usr/share/icons/hicolor/*/apps/*.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    file "$icon" | grep -q ": PNG image data, ${size%%x*} x ${size##*x}," ||
        fail "$icon is not $size: $(file -b "$icon")"
done

echo "--- vorn-lookup on the packaged data"
expected=$(printf 'DL1ABC\tDL\tDARC QSL bureau\tFed. Rep. of Germany')
actual=$("$root/usr/bin/vorn-lookup" -C "$root/usr/share/vorn" dl1abc) ||
    fail "vorn-lookup exited with status $?"
[ "$actual" = "$expected" ] || fail "vorn-lookup DL1ABC gave '$actual'"
# The list of exact calls is packaged, and answers for Mount Athos.
[ -f "$root/usr/share/vorn/calls.asc" ] || fail "no calls.asc in /usr/share/vorn"
expected=$(printf 'SV2ASP/A\tSV\tRAAG QSL bureau\tMount Athos')
actual=$("$root/usr/bin/vorn-lookup" -C "$root/usr/share/vorn" SV2ASP/A 2>&1) ||
    fail "vorn-lookup exited with status $?"
[ "$actual" = "$expected" ] || fail "vorn-lookup SV2ASP/A gave '$actual'"

echo "--- man pages"
for program in "$root"/usr/bin/*; do
    [ -f "$root/usr/share/man/man1/$(basename "$program").1.gz" ] ||
        fail "no man page for $(basename "$program")"
done
for page in "$root"/usr/share/man/man*/*; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

if [ "$failures" -ne 0 ]; then
    echo "package: $failures check(s) failed"
    exit 1
fi
echo "package: all checks passed"
