#!/bin/sh
# The launcher fills the per-user data directory that the program names from the shipped data
# files, never overwrites the user's own files, and starts the program there.
# Usage: vorn_start_test.sh LAUNCHER INSTALLED_LAUNCHER VORN
set -eu
launcher=$1
installed_launcher=$2
vorn=$3
# The program names the data directory without a display.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/share"
printf 'x DL DL\r\n' > "$work/share/country.asc"
printf 'bureaus\r\n' > "$work/share/vorn.asc"
printf '1 DL1ABC DL\r\n' > "$work/share/calls.asc"
printf '<html></html>' > "$work/share/vorn.hlp"
printf '7\r\n302\r\n' > "$work/share/vorn_update.asc"
# Stands in for the program: tells where it runs and with which arguments. Asked for the data
# directory, the real program answers.
cat > "$work/program" <<PROGRAM
#!/bin/sh
[ "\$*" != --print-data-dir ] || exec "$vorn" --print-data-dir
echo "\$PWD \$*"
PROGRAM
chmod +x "$work/program"

export VORN_SHARE_DIR="$work/share" VORN_PROGRAM="$work/program" XDG_DATA_HOME="$work/data home"
out=$("$launcher" one two)
[ "$out" = "$work/data home/vorn one two" ] || fail "ran as: $out"
# Logs named relative to where the launcher started are found from the data directory; what is
# no file there, an option or its value, goes on as it is.
mkdir "$work/logs"
touch "$work/logs/my log.adi" "$work/logs/-x.adi"
out=$(cd "$work/logs" && "$launcher" "my log.adi" -style fusion /abs.adx ./-x.adi)
[ "$out" = "$work/data home/vorn $work/logs/my log.adi -style fusion /abs.adx $work/logs/./-x.adi" ] ||
    fail "logs passed on as: $out"
for name in country.asc vorn.asc calls.asc; do
    cmp -s "$work/share/$name" "$work/data home/vorn/$name" || fail "$name not copied"
done
# The help is the program's documentation and stays where it was installed.
for name in vorn.hlp vorn_update.asc; do
    [ ! -e "$work/data home/vorn/$name" ] || fail "$name was copied"
done
[ -z "$(find "$work/data home/vorn" -name '*.part')" ] || fail "a partial copy was left"

# The user's files stay as they are; a file removed since comes back.
printf 'x F F\r\n' > "$work/data home/vorn/country.asc"
printf '1 F1ABC F\r\n' > "$work/data home/vorn/calls.asc"
rm "$work/data home/vorn/vorn.asc"
"$launcher" > /dev/null
[ "$(cat "$work/data home/vorn/country.asc")" = "$(printf 'x F F\r')" ] || fail "country.asc overwritten"
[ "$(cat "$work/data home/vorn/calls.asc")" = "$(printf '1 F1ABC F\r')" ] || fail "calls.asc overwritten"
[ -f "$work/data home/vorn/vorn.asc" ] || fail "vorn.asc not copied again"
# A data folder of an older version, without the list, gets it.
rm "$work/data home/vorn/calls.asc"
"$launcher" > /dev/null
cmp -s "$work/share/calls.asc" "$work/data home/vorn/calls.asc" || fail "calls.asc not copied again"

# Without XDG_DATA_HOME, or with an empty one, the directory lies under the home directory.
unset XDG_DATA_HOME
out=$(HOME="$work/home" "$launcher")
[ "$out" = "$work/home/.local/share/vorn " ] || fail "ran as: $out"
out=$(XDG_DATA_HOME= HOME="$work/home2" "$launcher")
[ "$out" = "$work/home2/.local/share/vorn " ] || fail "with an empty XDG_DATA_HOME ran as: $out"
# Without either there is no data directory: the launcher says so and starts nothing.
if out=$(env -u HOME "$launcher" 2>"$work/err"); then
    fail "started without a data directory: $out"
fi
[ -z "$out" ] || fail "started without a data directory: $out"
grep -q "neither XDG_DATA_HOME nor HOME is set" "$work/err" || fail "said: $(cat "$work/err")"

# The installed launcher finds the program and the shipped files beside itself, wherever the
# tree was installed.
unset VORN_SHARE_DIR VORN_PROGRAM
mkdir -p "$work/prefix/bin" "$work/prefix/share"
cp -R "$work/share" "$work/prefix/share/vorn"
cp "$work/program" "$work/prefix/bin/vorn"
cp "$installed_launcher" "$work/prefix/bin/vorn-start"
chmod +x "$work/prefix/bin/vorn-start"
ln -s "$work/prefix/bin/vorn-start" "$work/link"
out=$(XDG_DATA_HOME="$work/installed" "$work/link" x)
[ "$out" = "$work/installed/vorn x" ] || fail "installed launcher ran as: $out"
cmp -s "$work/share/vorn.asc" "$work/installed/vorn/vorn.asc" || fail "installed launcher copied nothing"

# The program's --version names the installed data version in the About box's words: the number
# vorn.set holds, also over a vorn.asc whose heading names older data.
mkdir "$work/version"
printf 'Vorn QSL bureaus, data 2025093002\r\n' > "$work/version/vorn.asc"
printf 'N2025093010\r\n' > "$work/version/vorn.set"
out=$(cd "$work/version" && "$vorn" --version | sed -n 2p)
[ "$out" = "data of 2025-09-30, revision 10" ] || fail "vorn --version named: $out"
echo "launcher: all checks passed"
