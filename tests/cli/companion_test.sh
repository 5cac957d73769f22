#!/usr/bin/env bash
# pelnor-cli hands render and print to its companion: found beside it or in libexec/pelnor,
# working on pelnor-cli's own settings and data root, with the companion's output and exit
# code; without a companion both say so and exit 1.
set -euo pipefail
cli=${PELNOR_CLI:?}
companion=${PELNOR_RENDER:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
month=$(date +%Y-%m)

# Installed layout, in a folder the user owns: bin/ is the program folder and data root.
mkdir -p "$work/inst/bin" "$work/inst/libexec/pelnor" "$work/alone"
cp "$cli" "$work/inst/bin/"
cp "$companion" "$work/inst/libexec/pelnor/"
cp "$cli" "$work/alone/"
"$work/inst/bin/pelnor-cli" demo > /dev/null 2>&1

check() {  # check LABEL EXPECTED_EXIT TEXT_IN_OUTPUT COMMAND...
  local label=$1 want=$2 text=$3 rc=0
  shift 3
  "$@" > "$work/out.txt" 2>&1 || rc=$?
  if [ "$rc" != "$want" ] || ! grep -qF -- "$text" "$work/out.txt"; then
    echo "$label: exit $rc (expected $want), output lacks '$text':" >&2
    cat "$work/out.txt" >&2
    exit 1
  fi
}

check "render from libexec, on pelnor-cli's own root" 0 "" \
  "$work/inst/bin/pelnor-cli" render --device 100 --date "$month" --view graph --size 320x200 --out "$work/g.png"
[ "$(head -c 4 "$work/g.png" | tail -c 3)" = PNG ] || { echo "render wrote no PNG" >&2; exit 1; }
check "print from libexec" 0 "2 pages written" \
  "$work/inst/bin/pelnor-cli" print --device 100 --kind day --from "$month-01" --to "$month-02" --pdf "$work/p.pdf"
check "the companion's refusal and exit code come through" 2 "device 55 is not registered" \
  "$work/inst/bin/pelnor-cli" render --device 55 --date "$month" --view graph --out "$work/x.png"
check "render without a companion" 1 "pelnor-render, is not installed" \
  "$work/alone/pelnor-cli" render --device 100 --date "$month" --view graph --out "$work/x.png"
check "print without a companion" 1 "pelnor-render, is not installed" \
  "$work/alone/pelnor-cli" print --device 100 --kind day --from "$month-01" --to "$month-01" --pdf "$work/x.pdf"
test ! -e "$work/x.png" && test ! -e "$work/x.pdf"
echo "companion ok"
