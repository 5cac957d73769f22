#!/usr/bin/env bash
# Whole processes: pelnor-cli show of 99 months against cat of the same 99 files, run in
# turn (show, cat, show, cat, ...) so that both meet the machine in the same state.
# Prints each one's median wall and CPU time, the median of the pairs' ratios, and each
# one's peak resident set size.
# usage: bench/show_vs_cat.sh [BUILD_FOLDER] [ROOT] [PAIRS]
set -euo pipefail
build=${1:-build}
root=${2:-/tmp/root99}
pairs=${3:-21}
cli="$build/src/pelnor-cli"
[ -f "$root/MCDATA.MST" ] || "$build/bench/make_bench_root" "$root" 99 > /dev/null
files=("$root"/DATA/00012/D*.dmd)
show=("$cli" show --root "$root" --ini "$root/none.ini" --device 12 --month 2024-12 --months 99)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

TIMEFORMAT='%3R %3U %3S'
timed() { { time "$@" > /dev/null; } 2>&1; }
timed "${show[@]}" > /dev/null  # warm-up: page cache and loader
timed cat "${files[@]}" > /dev/null
for _ in $(seq "$pairs"); do
  echo "$(timed "${show[@]}") $(timed cat "${files[@]}")"
done > "$work/pairs"

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
peak() { for _ in 1 2 3; do /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -n 1; done | median; }
echo "pairs: $pairs"
echo "show wall s: $(awk '{print $1}' "$work/pairs" | median)   cpu s: $(awk '{print $2 + $3}' "$work/pairs" | median)"
echo "cat  wall s: $(awk '{print $4}' "$work/pairs" | median)   cpu s: $(awk '{print $5 + $6}' "$work/pairs" | median)"
echo "show/cat wall: $(awk '$4 > 0 {print $1 / $4}' "$work/pairs" | median)   cpu: $(awk '$5 + $6 > 0 {print ($2 + $3) / ($5 + $6)}' "$work/pairs" | median)"
echo "peak RSS KB: show $(peak "${show[@]}")   cat $(peak cat "${files[@]}")"
