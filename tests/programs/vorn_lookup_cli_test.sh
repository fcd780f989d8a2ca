#!/bin/sh
# Runs vorn-lookup as a process on data files in a temporary directory.
#   vorn_lookup_cli_test.sh <vorn-lookup> <the shared data directory, relative to its bin>
set -u
tool=$(readlink -f "$1")
share_from_bin=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
check() { # name expected actual
    if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1"; printf 'expected: %s\nactual:   %s\n' "$2" "$3"; fail=1; fi
}
contains() { # name text part
    case $2 in *"$3"*) check "$1" yes yes ;; *) check "$1" "a text with: $3" "$2" ;; esac
}
tab=$(printf '\t')

mkdir "$dir/data" "$dir/empty"
printf '1 K1ABC* KH6\r\n2 KH6 KH6\r\n3 K K\r\n4 DL DL\r\n' > "$dir/data/country.asc"
{
    printf 'Vorn QSL bureaus, data 2023050299\r\n'
    printf '%-6s%-22s %-6s%-22s   %s\r\n' K 'United States' K ARRL Y
    printf '%-6s%-22s %-6s%-22s   %s\r\n' KH6 Hawaii KH6 'KH6 QSL bureau' Y
    printf '%-6s%-22s %-6s%-22s   %s\r\n' DL 'Fed. Rep. of Germany' DL 'DARC QSL bureau' Y
} > "$dir/data/vorn.asc"
data="$dir/data"

check args "$(printf 'DL1ABC\tDL\tDARC QSL bureau\tFed. Rep. of Germany\nK4XYZ\tK4\tARRL - call area 4a\tUnited States')" \
    "$("$tool" -C "$data" dl1abc K4XYZ)"
check stdin "$(printf 'K1ABC\tKH6\tKH6 QSL bureau\tHawaii\n\t\t\t\nABCDEFGHIJKLMNO\tunknown\tunknown\tunknown')" \
    "$(printf 'k1abc\r\n\nABCDEFGHIJKLMNOPQ' | "$tool" -C"$data")"
# Blanks before a call are left out, as the call field leaves them out; so is a line of blanks.
check blanks-only "$tab$tab$tab" "$("$tool" -C "$data" '   ')"
check leading-blank "DL1ABC${tab}DL" "$(printf ' dl1abc\n' | "$tool" -C "$data" | cut -f1,2)"
# A slashed zero is the digit 0, typed in UTF-8 or in a single-byte encoding.
check slashed-zero "$(printf 'K0ABC\tK0\nK0ABC\tK0\nK0ABC\tK0')" \
    "$(printf 'k\303\230abc\nK\330ABC\nk\303\270abc\n' | "$tool" -C "$data" | cut -f1,2)"
# Control characters are refused as in the call field, so every line has four columns.
check control-characters "DL1ABC${tab}DL" "$(printf 'dl\t1a\033bc\r\n' | "$tool" -C "$data" | cut -f1,2)"
check four-columns 0 "$(head -c 20000 /dev/urandom | "$tool" -C "$data" | awk -F "$tab" 'NF != 4' | wc -l)"

# --portable adds the home route and the location of portable and guest calls, on the shipped
# data; each only where it says more than the three answers, and every line has six columns.
shipped=$(dirname "$tool")/$share_from_bin
check portable "$(printf '%s\n' "VK2/DL1ABC${tab}DL, DARC QSL bureau${tab}" \
    "F/G4XYZ${tab}G, RSGB QSL bureau${tab}" "DL1ABC/P${tab}${tab}" \
    "DL1ABC/VK2${tab}${tab}Australia" "W1ABC/KH6${tab}${tab}Hawaii" \
    "K1ABC/MM${tab}${tab}maritime mobile, no DXCC entity" "KG4AB/P${tab}${tab}" \
    "3D2/DL1ABC${tab}DL, DARC QSL bureau${tab}")" \
    "$("$tool" -C "$shipped" --portable VK2/DL1ABC F/G4XYZ DL1ABC/P DL1ABC/VK2 W1ABC/KH6 \
        K1ABC/MM KG4AB/P 3D2/DL1ABC | cut -f1,5,6)"
check portable-keeps-the-answers "$("$tool" -C "$shipped" VK2/DL1ABC)" \
    "$("$tool" -C "$shipped" --portable VK2/DL1ABC | cut -f1-4)"
check six-columns 0 "$(head -c 20000 /dev/urandom | tr '\000-\011' '/' | "$tool" -C "$data" --portable |
    awk -F "$tab" 'NF != 6' | wc -l)"

# Options: a usage error is no call; -- ends the options.
err=$("$tool" -C "$data" -x DL1ABC 2>&1 >/dev/null); status=$?
check unknown-option-status 1 "$status"
contains unknown-option-usage "$err" "Usage: vorn-lookup"
check double-dash "-X${tab}unknown" "$("$tool" -C "$data" -- -x | cut -f1,2)"
check version "$(printf 'vorn-lookup 3.02\ndata of 2023-05-02, revision 99\nexact calls: none (no calls.asc)')" \
    "$("$tool" -C "$data" --version)"
# The number an update stored, when newer than the heading's, as the About box shows it.
printf 'N2023050300\r\n' > "$data/vorn.set"
check version-stored "data of 2023-05-03, revision 0" "$("$tool" -C "$data" --version | sed -n 2p)"
rm "$data/vorn.set"
"$tool" --help | grep -q -- '-C DIR'; check help 0 $?

# Without -C: the current directory, then $XDG_DATA_HOME/vorn, then the installed data.
mkdir -p "$dir/xdg/vorn" "$dir/prefix/bin" "$dir/prefix/bin/$share_from_bin"
cp "$tool" "$dir/prefix/bin/vorn-lookup"
cp "$data"/* "$dir/prefix/bin/$share_from_bin/"
err=$(cd "$data" && "$tool" DL1ABC 2>&1 >/dev/null)
contains folder-current "$err" "data from ."
cp "$data"/* "$dir/xdg/vorn/"
err=$(cd "$dir/empty" && XDG_DATA_HOME="$dir/xdg" "$tool" DL1ABC 2>&1 >/dev/null)
contains folder-user "$err" "data from $dir/xdg/vorn"
err=$(cd "$dir/empty" && XDG_DATA_HOME="$dir/empty" "$dir/prefix/bin/vorn-lookup" DL1ABC 2>&1 >/dev/null)
contains folder-installed "$err" "data from $dir/prefix/"
# A program with no shared data beside it (the build tree has some, as an installed one does).
mkdir -p "$dir/lonely/bin"
cp "$tool" "$dir/lonely/bin/vorn-lookup"
err=$(cd "$dir/empty" && XDG_DATA_HOME="$dir/empty" "$dir/lonely/bin/vorn-lookup" DL1ABC 2>&1 >/dev/null); status=$?
check folder-none-status 2 "$status"

# Files that load but cannot be data files are named with the likely cause; sound ones are not.
check no-warning "" "$("$tool" -C "$data" DL1ABC 2>&1 >/dev/null)"
tr -d '\r' < "$data/country.asc" > "$dir/xdg/vorn/country.asc"
err=$("$tool" -C "$dir/xdg/vorn" DL1ABC 2>&1 >/dev/null)
contains lf-warning "$err" "country.asc: it has LF line ends"
i=0; while [ $i -lt 3500 ]; do printf '%s P%s E\r\n' $i $i; i=$((i + 1)); done > "$dir/xdg/vorn/country.asc"
err=$("$tool" -C "$dir/xdg/vorn" DL1ABC 2>&1 >/dev/null)
contains too-many-rows-warning "$err" "country.asc: it holds more rows"
iconv -f LATIN1 -t UTF-16 < "$data/vorn.asc" > "$dir/xdg/vorn/vorn.asc"
err=$("$tool" -C "$dir/xdg/vorn" DL1ABC 2>&1 >/dev/null)
contains utf16-warning "$err" "vorn.asc: it is UTF-16 text"
{ cat "$data/vorn.asc"; printf 'DL\0\0 Germany\r\n'; } > "$dir/xdg/vorn/vorn.asc"
err=$("$tool" -C "$dir/xdg/vorn" DL1ABC 2>&1 >/dev/null)
contains nul-warning "$err" "vorn.asc: it holds NUL bytes"

# Faults of the output and the input are reported.
err=$("$tool" -C "$data" DL1ABC 2>&1 >/dev/full); status=$?
check write-error-status 1 "$status"
contains write-error-reason "$err" "No space left on device"
err=$("$tool" -C "$data" < "$data" 2>&1 >/dev/null); status=$?
check read-error-status 1 "$status"
contains read-error-reason "$err" "Is a directory"

# The list of exact calls answers after the exact rows of country.asc and before its prefixes;
# --version counts it. A damaged list is named and not used at all: the answers are those
# without it.
printf '9 DL1ABC KH6\r\n9 K1ABC DL\r\n9 4U1WB K\r\n' > "$data/calls.asc"
check list "$(printf 'DL1ABC\tKH6\nK1ABC\tKH6\n4U1WB\tK\nDL2ABC\tDL')" \
    "$("$tool" -C "$data" DL1ABC K1ABC 4U1WB DL2ABC | cut -f1,2)"
check list-version "exact calls: 3 (calls.asc)" "$("$tool" -C "$data" --version | tail -n 1)"
check list-no-warning "" "$("$tool" -C "$data" DL1ABC 2>&1 >/dev/null)"
printf '9 DL1ABC KH6\r\nK1ABC DL\r\n9 4U1WB K\r\n' > "$data/calls.asc"
err=$("$tool" -C "$data" DL1ABC 2>&1 >/dev/null); status=$?
check damaged-list-status 0 "$status"
contains damaged-list-warning "$err" "calls.asc not used: line 2 is not a call"
check damaged-list-unused "DL1ABC${tab}DL" "$("$tool" -C "$data" DL1ABC 2>/dev/null | cut -f1,2)"
contains damaged-list-version "$("$tool" -C "$data" --version)" "exact calls: none (calls.asc not used: line 2"
rm "$data/calls.asc"

rm "$data/vorn.asc"
err=$("$tool" -C "$data" DL1ABC 2>&1 >/dev/null); status=$?
check missing-file-status 2 "$status"
contains missing-file-reason "$err" "vorn.asc: No such file or directory"
exit $fail
