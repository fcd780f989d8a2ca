#!/bin/sh
# Runs vorn-sort as a process on data files and logs in a temporary directory.
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
check() { # name expected actual
    if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1"; printf 'expected: %s\nactual:   %s\n' "$2" "$3"; fail=1; fi
}

printf 'x DL DL\r\nx K K\r\nx W K\r\nx P5 P5\r\n' > "$dir/country.asc"
{
    printf '%-6s%-22s %-6s%-22s   %s\r\n' DL Germany DL 'DARC, QSL bureau' Y
    printf '%-6s%-22s %-6s%-22s   %s\r\n' K 'United States' K ARRL Y
    printf '%-6s%-22s %-6s%-22s   %s\r\n' P5 'North Korea' P5 '' N
} > "$dir/vorn.asc"
printf '<CALL:6>DL2XYZ<QSL_VIA:10>via DL1ABC<QSL_SENT:1>Q<EOR>\n<CALL:4>W1AW<QSL_SENT:1>R<EOR>\n<CALL:6>DL1ABC<QSL_SENT:1>Q<EOR>\n<CALL:5>P5ABC<QSL_SENT:1>Q<EOR>\n<CALL:4>K4AB<QSL_SENT:1>Y<EOR>\n<CALL:3>BAD<EOR' > "$dir/log.adi"

cd "$dir" || exit 1
check csv "$(printf 'sort_prefix,bureau,entity,call,via,qsos\r\nDL,"DARC, QSL bureau",Germany,DL1ABC,,1\r\nDL,"DARC, QSL bureau",Germany,DL2XYZ,DL1ABC,1\r\nK1,ARRL - call area 1,United States,W1AW,,1\r\n,none,North Korea,P5ABC,,1\r\nx')" \
    "$("$tool" --csv log.adi 2>/dev/null; echo x)"
check damaged-named "$(printf 'vorn-sort: data from .\nvorn-sort: log.adi: 1 damaged record skipped')" \
    "$("$tool" log.adi 2>&1 >/dev/null)"
check all-from-stdin "$(printf 'K4 | ARRL - call area 4a | United States | 1 card, 2 QSOs\n  K4AB   2')" \
    "$(printf 'k4ab,K4AB\n' | "$tool" --all -C "$dir" - | grep -A1 '^K4 ')"
check text-total "Total: 3 cards (3 QSOs) in 2 bureau piles; set apart: 1 card (1 QSO). 5 QSOs read, 4 counted, 1 damaged record skipped." \
    "$("$tool" log.adi 2>/dev/null | tail -n 1)"

# One row per QSO; a guest goes to his home pile; a note that asks for another way sets the card
# apart, and one that is not understood is named on standard error.
printf '<CALL:10>VK2/DL1ABC<QSO_DATE:8>20240115<TIME_ON:4>1234<BAND:3>20m<MODE:3>SSB<RST_SENT:2>59<EOR>\n<CALL:6>DL3AAA<QSL_VIA:6>direct<EOR>\n<CALL:6>DL3BBB<QSL_VIA:7>see QRZ<EOR>\n' > "$dir/guest.adi"
check qsos "$(printf 'pile,sort_prefix,bureau,entity,call,via,route,qso_date,time_on,band,mode,rst_sent\r\nDL,DL,"DARC, QSL bureau",Germany,VK2/DL1ABC,home call DL1ABC,DL1ABC,20240115,1234,20m,SSB,59\r\nDL,DL,"DARC, QSL bureau",Germany,DL3BBB,,DL3BBB,,,,,\r\nnot via the bureau,DL,"DARC, QSL bureau",Germany,DL3AAA,,DL3AAA,,,,,\r\nx')" \
    "$("$tool" -C . --csv --qsos guest.adi 2>/dev/null; echo x)"
check unread-note 'vorn-sort: QSL_VIA not understood, taken as no manager: "see QRZ" (1 QSO).' \
    "$("$tool" -C . guest.adi 2>&1 >/dev/null)"
"$tool" -C . --qsos guest.adi 2>/dev/null; check qsos-without-csv 1 $?
# Sorted, but not the whole log: damaged records or an ADX log that breaks off exit with 3.
"$tool" -C . log.adi >/dev/null 2>&1; check damaged-status 3 $?
printf '<?xml version="1.0"?><ADX><RECORDS><RECORD><CALL>W1AW</CALL></RECORD><RECORD><CALL>DL1' > cut.adx
"$tool" -C . cut.adx >/dev/null 2>&1; check cut-adx-status 3 $?
"$tool" -C . --csv cut.adx guest.adi >/dev/null 2>&1; check cut-among-two-status 3 $?
"$tool" -C . guest.adi >/dev/null 2>&1; check whole-status 0 $?
printf '<CALL:6>DL1ABC<QSL_SENT:1>Y<EOR>\n<CALL:4>W1AW<QSL_SENT:1>N<EOR>\n' > "$dir/sent.adi"
check nothing-waiting "vorn-sort: no QSO waits for the bureau (QSL_SENT Q or R); --all sorts every QSO" \
    "$("$tool" -C . sent.adi 2>&1 >/dev/null)"

err=$("$tool" -C . log.adi missing.adi 2>&1 >/dev/null); status=$?
check unreadable-status 2 "$status"
check unreadable-named "vorn-sort: cannot read missing.adi: No such file or directory" "$err"
# Without -C and without data here, the data come from the user's data folder.
mkdir -p "$dir/home/vorn" "$dir/elsewhere" && cp country.asc vorn.asc "$dir/home/vorn/"
check user-data-folder "vorn-sort: data from $dir/home/vorn" \
    "$(cd "$dir/elsewhere" && XDG_DATA_HOME="$dir/home" "$tool" "$dir/log.adi" 2>&1 >/dev/null | head -n 1)"
# A call that a spreadsheet would run as a formula stays text in the CSV.
printf '<CALL:4>=1+2<EOR><CALL:7>@SUM(1)<EOR><CALL:6>DL1ABC<EOR>' > formula.adi
check csv-formula 2 \
    "$("$tool" --csv --all -C . formula.adi 2>/dev/null | grep -c -e ",\"'=1+2\"," -e ",\"'@SUM(1)\",")"

# A byte that is not UTF-8 in an ADX log damages its record only.
printf '<?xml version="1.0"?><ADX><RECORDS>\n<RECORD><CALL>W1AW</CALL></RECORD>\n<RECORD><CALL>DL1ABC</CALL><NAME>J\366rg</NAME></RECORD>\n<RECORD><CALL>DL2XYZ</CALL></RECORD>\n</RECORDS></ADX>\n' > log.adx
check adx-bad-byte "vorn-sort: log.adx: 1 damaged record skipped" "$("$tool" -C . log.adx 2>&1 >/dev/null)"
check adx-bad-byte-rest "Total: 2 cards (2 QSOs) in 2 bureau piles; set apart: 0 cards (0 QSOs). 2 QSOs read, 2 counted, 1 damaged record skipped." \
    "$("$tool" -C . log.adx 2>/dev/null | tail -n 1)"

# Files that are no logs are refused, naming the file and why.
printf '\211PNG\r\n\032\n\0\0\0\rIHDR\0\0\001\0' > picture.png
"$tool" --csv -C . log.adi > piles.csv 2>/dev/null
for notalog in "picture.png:binary data" "piles.csv:neither ADIF nor ADX"; do
    file=${notalog%%:*}
    err=$("$tool" -C . "$file" 2>&1 >/dev/null); status=$?
    check "no-log-$file-status" 2 "$status"
    case $err in
    "vorn-sort: cannot sort $file: it "*"${notalog#*:}"*) check "no-log-$file" ok ok ;;
    *) check "no-log-$file" "vorn-sort: cannot sort $file: it ...${notalog#*:}..." "$err" ;;
    esac
done

# Data files that load but hold no data: every card would be "unknown", so each gets a warning.
mkdir bad
cp vorn.asc bad/
printf '<CALL:6>DL1ABC<EOR>' > bad/log.adi
for broken in empty binary html lf utf16 nul; do
    case $broken in
    empty) : > bad/country.asc ;;
    binary) for i in 1 2 3 4 5 6 7 8; do cat picture.png; done > bad/country.asc ;;
    html) printf '<!DOCTYPE html>\r\n<html><body>Log in</body></html>\r\n' > bad/country.asc ;;
    lf) tr -d '\r' < country.asc > bad/country.asc ;;
    utf16) iconv -f LATIN1 -t UTF-16 < country.asc > bad/country.asc ;;
    nul) { cat country.asc; printf 'x\0\0\0 DL DL\r\n'; } > bad/country.asc ;;
    esac
    err=$(cd bad && "$tool" log.adi 2>&1 >/dev/null)
    case $err in
    *"vorn-sort: warning: ./country.asc: it "*) check "data-warning-$broken" ok ok ;;
    *) check "data-warning-$broken" "a warning on ./country.asc" "$err" ;;
    esac
done
check sound-data-no-warning "vorn-sort: data from ." "$("$tool" log.adi 2>&1 >/dev/null | grep -v damaged)"

# The sorting sheet and the labels as PDF, as the window makes them; nothing on standard output.
check pdf-quiet "" "$("$tool" -C . --sheet sheet.pdf --labels labels.pdf --label-sheet letter-2x5 --start 5,2 --no-headings --own-call DL9XYZ log.adi 2>/dev/null)"
check pdf-labels-paper "letter" "$(pdfinfo labels.pdf | sed -n 's/^Page size:.*(\(.*\))/\1/p')"
# Four cards from the last label of a 2 x 5 sheet on: one on the first page, three on the next.
check pdf-labels-pages 2 "$(pdfinfo labels.pdf | sed -n 's/^Pages: *//p')"
check pdf-labels-text ok "$(pdftotext -raw labels.pdf - | tr '\n' ' ' | grep -q 'de DL9XYZ DL DL1ABC.*DL2XYZ via DL1ABC.*none P5ABC' && echo ok)"
check pdf-sheet-text ok "$(pdftotext -raw sheet.pdf - | grep -q 'QSL sorting sheet: log.adi' && echo ok)"
# Refused: a place the sheet does not have, a sheet that does not exist, a label option alone.
"$tool" -C . --labels l.pdf --start 6,1 --label-sheet letter-2x5 log.adi 2>/dev/null; check start-beyond 1 $?
"$tool" -C . --labels l.pdf --start 5,3 --label-sheet letter-2x5 log.adi 2>/dev/null; check start-column-beyond 1 $?
"$tool" -C . --labels l.pdf --label-sheet a5 log.adi 2>/dev/null; check unknown-sheet 1 $?
"$tool" -C . --no-headings log.adi 2>/dev/null; check label-option-alone 1 $?
check no-pdf-refused 4 "$("$tool" -C . --labels gone/l.pdf log.adi 2>/dev/null; echo $?)"
"$tool" --help | grep -q -- 'letter-2x10'; check help-sheets 0 $?

"$tool" 2>/dev/null; check no-log-usage 1 $?
"$tool" --help | grep -q -- '--csv'; check help 0 $?
exit $fail
