#!/bin/sh
# Runs vorn-lookup as a process on data files in a temporary directory.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
check() { # name expected actual
    if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1"; printf 'expected: %s\nactual:   %s\n' "$2" "$3"; fail=1; fi
}
tab=$(printf '\t')

printf '1 K1ABC* KH6\r\n2 KH6 KH6\r\n3 K K\r\n4 DL DL\r\n' > "$dir/country.asc"
{
    printf '%-6s%-22s %-6s%-22s   %s\r\n' K 'United States' K ARRL Y
    printf '%-6s%-22s %-6s%-22s   %s\r\n' KH6 Hawaii KH6 'KH6 QSL bureau' Y
    printf '%-6s%-22s %-6s%-22s   %s\r\n' DL 'Fed. Rep. of Germany' DL 'DARC QSL bureau' Y
} > "$dir/vorn.asc"

check args "$(printf 'DL1ABC\tDL\tDARC QSL bureau\tFed. Rep. of Germany\nK4XYZ\tK4\tARRL - call area 4a\tUnited States')" \
    "$(cd "$dir" && "$tool" dl1abc K4XYZ)"
check stdin-and-dir "$(printf 'K1ABC\tKH6\tKH6 QSL bureau\tHawaii\n\t\t\t\nABCDEFGHIJKLMNO\tunknown\tunknown\tunknown')" \
    "$(printf 'k1abc\r\n\nABCDEFGHIJKLMNOPQ\n' | "$tool" -C "$dir")"
check blanks-only "   $tab$tab$tab" "$("$tool" -C "$dir" '   ')"

rm "$dir/vorn.asc"
err=$("$tool" -C "$dir" DL1ABC 2>&1 >/dev/null); status=$?
check missing-file-status 2 "$status"
case $err in *vorn.asc*) check missing-file-named yes yes ;; *) check missing-file-named "message naming vorn.asc" "$err" ;; esac
"$tool" --help | grep -q -- '-C DIR'; check help 0 $?
exit $fail
