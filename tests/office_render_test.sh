#!/bin/sh
# Prints the workbooks of a steady player (300 visits a year for ten years) the
# way a player prints them, through LibreOffice, and fails when a figure comes
# out as "###": the yearly sheet, both weekday sheets, and a month holding a
# win of more than a million yen.
#     office_render_test.sh BUILD_DIR [PNG_DIR]
# With PNG_DIR the first page of each PDF is also kept there as a PNG to look
# at. Without LibreOffice (soffice) and poppler's pdftotext the test is skipped
# (exit 77).
set -eu

build="$1"
pngs="${2:-}"
cli="$build/bin/tamalog-cli"
if ! command -v soffice >/dev/null 2>&1 || ! command -v pdftotext >/dev/null 2>&1; then
    echo "SKIP: LibreOffice or pdftotext is missing (scripts/install-deps --office)"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tamalog-office-test.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

"$cli" generate "$work/prog" --users 1 --years 2003-2012 --per-year 300 --seed 3 >/dev/null
user=$(ls "$work/prog/Data" | head -n 1)
# A win of 1,485,000 yen in May 2005.
"$cli" add "$work/prog" "$user" txtNen=2005 txtTuki=5 txtHi=31 cboHoll=駅前ホール txtZ1_1=10 txtZ1_2=00 \
    txtZ2_1=22 txtZ2_2=00 txtTousi=15000 txtKaisyu=1500000 >/dev/null

for table in 2 3 4; do
    "$cli" export analysis "$work/prog" "$user" --all-period --table "$table" --out "$work/table$table.xlsx" >/dev/null
done
"$cli" export month "$work/prog" "$user" 2005 5 --out "$work/month.xlsx" >/dev/null

HOME="$work/office" soffice --headless --convert-to pdf --outdir "$work" \
    "$work/table2.xlsx" "$work/table3.xlsx" "$work/table4.xlsx" "$work/month.xlsx" >/dev/null 2>&1

status=0
for name in table2 table3 table4 month; do
    pdf="$work/$name.pdf"
    if [ ! -s "$pdf" ]; then
        echo "FAIL: LibreOffice printed no $name.pdf"
        status=1
        continue
    fi
    text=$(pdftotext -layout "$pdf" -)
    hashes=$(printf '%s\n' "$text" | grep -c '###' || true)
    pages=$(printf '%s' "$text" | tr -cd '\f' | wc -c)
    echo "$name: $pages page(s), $hashes line(s) with ###"
    if [ "$hashes" -ne 0 ]; then
        printf '%s\n' "$text" | grep '###' | head -n 5
        status=1
    fi
    # The figures of more than a million are there, whole.
    case $name in
    table2) printf '%s\n' "$text" | grep -q '[0-9],[0-9][0-9][0-9],[0-9][0-9][0-9]' || { echo "FAIL: no million figure in $name"; status=1; } ;;
    month) printf '%s\n' "$text" | grep -q '1,485,000' || { echo "FAIL: the win of 1,485,000 is not printed in $name"; status=1; } ;;
    esac
    if [ -n "$pngs" ] && command -v pdftoppm >/dev/null 2>&1; then
        mkdir -p "$pngs"
        pdftoppm -png -r 70 -f 1 -l 2 "$pdf" "$pngs/$name"
    fi
done
exit $status
