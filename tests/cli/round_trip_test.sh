#!/usr/bin/env bash
# restore then dump reproduces the JSON, for a master file and a month file.
set -euo pipefail
cli=${PELNOR_CLI:?}
fixtures=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for kind in master month; do
  json="$fixtures/$kind.json"
  "$cli" restore "$json" "$work/$kind.bin"
  "$cli" dump "$work/$kind.bin" > "$work/$kind.out.json"
  diff -u "$json" "$work/$kind.out.json"
done

# The files written are byte for byte those built independently of the program.
cmp "$work/month.bin" "$fixtures/D202404.dmd"
cmp "$work/master.bin" "$fixtures/MCDATA.MST"

# The kind can be forced; a wrong one fails with a message and a non-zero exit.
"$cli" dump --kind month "$work/month.bin" > /dev/null
if "$cli" dump --kind month "$work/master.bin" 2> "$work/err"; then
  echo "dump of a master file as a month succeeded" >&2; exit 1
fi
grep -q 'ファイルが壊れている可能性があります' "$work/err"
echo "round trip ok"
