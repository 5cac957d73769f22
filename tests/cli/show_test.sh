#!/usr/bin/env bash
# show prints the statistics of a loaded period as worked out by hand for a month
# written with restore, with the pulse constant of the given settings file.
set -euo pipefail
cli=${PELNOR_CLI:?}
fixtures=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/root/DATA/00012"
"$cli" restore "$fixtures/master.json" "$work/root/MCDATA.MST"
"$cli" restore "$fixtures/month.json" "$work/root/DATA/00012/D202404.dmd"
# パルス定数(ﾊﾟﾙｽ/kWH)=25000 in cp932
printf '[Setting]\r\n\x83\x70\x83\x8b\x83\x58\x92\xe8\x90\x94(\xca\xdf\xd9\xbd/kWH)=25000\r\n' > "$work/Pelnor.INI"
cp "$work/Pelnor.INI" "$work/Pelnor.INI.before"

"$cli" show --root "$work/root" --ini "$work/Pelnor.INI" --device 12 --month 2024-05 --months 2 > "$work/show.json"
cmp "$work/Pelnor.INI" "$work/Pelnor.INI.before"  # the settings file is never written

expect() {  # expect LABEL PATTERN COUNT
  local n
  n=$(grep -cE -- "$2" "$work/show.json" || true)
  if [ "$n" != "$3" ]; then
    echo "show: $1: expected $3 line(s) matching $2, found $n" >&2
    cat "$work/show.json" >&2
    exit 1
  fi
}

# April: readings of 30, 12 and 1000 pulses on the 1st, 5 on the 2nd; multiplier 120.
# 120 / 25000 kWh per pulse: the largest slot is 1000 pulses = 4.8 kWh = 9.6 kW.
expect "period" '"first": "2024-04-01",|"last": "2024-05-31",' 2
expect "pulse constant" '"pulseConstant": 25000,' 1
expect "months" '"month": "2024-0[45]",' 2
expect "monthly pulses (pulse and energy statistics are computed alike)" '"pulses": 1047,' 2
expect "largest demand (demand and temperature statistics are computed alike)" '"demandKw": 9.6,' 2
expect "highest day" '"highestDemandDay": 1,' 1
expect "lowest day" '"lowestDemandDay": 2,' 1
expect "May without data" '"highestDemandDay": null,' 1
expect "scale step 2 for 9.6 kW and 5.0 kWh" '"step": 2.0,' 2
expect "scale step 1 for an empty month" '"step": 1.0,' 2

# Bad requests fail with a usage message.
if "$cli" show --root "$work/root" --device 12 --month 2024-13 2> /dev/null; then
  echo "show accepted month 13" >&2; exit 1
fi
echo "show ok"
