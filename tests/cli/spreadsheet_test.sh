#!/usr/bin/env bash
# A month's CSV as LibreOffice Calc reads it (cp932, comma-separated, quotes as text
# delimiters): a customer name with a comma and double quotes stays one cell, and the
# Japanese headers and the numbers come through. Skipped (77) when soffice is absent.
set -euo pipefail
cli=${PELNOR_CLI:?}
fixtures=$1
command -v soffice > /dev/null || { echo "soffice is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/root/DATA/00012"
sed 's/"customerName": "[^"]*"/"customerName": "株式会社\\"テスト\\",本店"/' "$fixtures/master.json" > "$work/master.json"
"$cli" restore "$work/master.json" "$work/root/MCDATA.MST"
"$cli" restore "$fixtures/month.json" "$work/root/DATA/00012/D202404.dmd"
"$cli" export-csv --root "$work/root" --ini "$work/Pelnor.INI" --device 12 --date 2024-04 --out "$work/month.csv" > /dev/null

# 44 comma, 34 double quote, 60 cp932, 1 the first line; written back as UTF-8 (76).
HOME="$work" soffice --headless --infilter="CSV:44,34,60,1" \
  --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir "$work/out" "$work/month.csv" > /dev/null 2>&1
read_back="$work/out/month.csv"
# Calc writes text cells in quotes, numbers bare, and pads every row to six cells.
grep -qE '^"需要家名","株式会社""テスト"",本店",*$' "$read_back" || {
  echo "the customer name did not stay one cell:" >&2; grep '需要家名' "$read_back" >&2; exit 1; }
grep -q '^"月別電力使用実績表（ 2024年4月分 ）"' "$read_back"
grep -q '^"日付"," 曜日"," パルス数"," デマンド値\[kW\]"' "$read_back"
grep -q '^"合計"," ",1047,5,3,22$' "$read_back"
echo "spreadsheet ok"
