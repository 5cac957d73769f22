#!/usr/bin/env bash
# The Debian package: built, unpacked without root, and run as an installed program whose data
# lands in the user's own folder.
set -euo pipefail
trap 'echo "package test: failed at line $LINENO" >&2; cat "${work:-/dev/null}/pelnor.log" >&2 2>/dev/null || true' ERR
build=${1:?build folder}
source_dir=${2:?source folder}
work=$(mktemp -d)
trap 'if [ -n "${pid:-}" ]; then kill "$pid" 2>/dev/null || true; fi; rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/pelnor_*.deb)
# The field is read whole first: grep -q in a pipe would close it early (SIGPIPE under pipefail).
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *"fonts-ipafont-gothic | fonts-noto-cjk | fonts-vlgothic"* ]] || {
  echo "Depends lacks the fonts: $depends" >&2; exit 1; }
[[ "$depends" == *qt6-translations-l10n* ]] || { echo "Depends lacks Qt's Japanese catalogue: $depends" >&2; exit 1; }
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/pelnor.desktop"
test -f "$work/root/usr/share/doc/pelnor/README.md"
test -f "$work/root/usr/share/icons/hicolor/scalable/apps/pelnor.svg"
for size in 16 22 24 32 48 64 128 256; do
  file "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/pelnor.png" | grep -q "PNG image data, $size x $size"
done
test -f "$work/root/usr/share/doc/pelnor/copyright"
changelog=$(zcat "$work/root/usr/share/doc/pelnor/changelog.gz")
[[ "$changelog" == "pelnor ($(dpkg-deb -f "$deb" Version))"* ]]
zcat "$work/root/usr/share/man/man1/Pelnor.1.gz" > "$work/Pelnor.1"
grep -q '^\.SH FILES' "$work/Pelnor.1"
[ "$("$work/root/usr/bin/Pelnor" --version)" = "Pelnor $(dpkg-deb -f "$deb" Version)" ]
"$work/root/usr/bin/Pelnor" --help | grep -q '^usage: Pelnor'
# The conventions of Debian and of the desktop, where their checkers are installed.
if command -v lintian > /dev/null; then
  lintian --fail-on error,warning --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true
  lintian --fail-on error,warning --pedantic "$deb" > /dev/null 2>&1 || { echo "lintian: errors or warnings" >&2; exit 1; }
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net --pedantic "$work"/root/usr/share/metainfo/*.metainfo.xml > /dev/null
fi
# pelnor-cli loads no Qt; render and print are in the companion it runs.
test -x "$work/root/usr/libexec/pelnor/pelnor-render"
if readelf -d "$work/root/usr/bin/pelnor-cli" | grep -q 'NEEDED.*libQt'; then
  echo "pelnor-cli links Qt" >&2; exit 1
fi

# Every command of --help is in the manual page.
zcat "$work/root/usr/share/man/man1/pelnor-cli.1.gz" > "$work/pelnor-cli.1"
"$work/root/usr/bin/pelnor-cli" --help > "$work/help.txt"
for command in $(sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p; s/^  \([a-z][a-z-]*\)$/\1/p' "$work/help.txt"); do
  grep -q "^\.BR* $command\b" "$work/pelnor-cli.1" || {
    echo "pelnor-cli.1 lacks the command $command" >&2; exit 1; }
done

# Started as an installed program, Pelnor keeps its settings and master in ~/.local/share/Pelnor.
export HOME="$work/home"
unset XDG_DATA_HOME
# One Pelnor per user: a name of its own keeps a Pelnor the developer has open out of the test.
export USER="pelnor-test-$$"
mkdir -p "$HOME"
QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/Pelnor" > "$work/pelnor.log" 2>&1 &
pid=$!
for _ in $(seq 100); do
  [ -f "$HOME/.local/share/Pelnor/Pelnor.INI" ] && break
  sleep 0.1
done
test -f "$HOME/.local/share/Pelnor/Pelnor.INI" || { cat "$work/pelnor.log"; exit 1; }
# A second start hands over to the first, fails and touches no file. The first writes its
# settings key by key while it starts: wait until they stand still.
previous=""
for _ in $(seq 50); do
  sleep 0.2
  current=$(md5sum < "$HOME/.local/share/Pelnor/Pelnor.INI")
  [ "$current" = "$previous" ] && break
  previous=$current
done
cp "$HOME/.local/share/Pelnor/Pelnor.INI" "$work/ini.before"
rc=0
QT_QPA_PLATFORM=offscreen timeout 20 "$work/root/usr/bin/Pelnor" > /dev/null 2>&1 || rc=$?
[ "$rc" = 1 ] || { echo "a second Pelnor ended with $rc, not 1" >&2; exit 1; }
cmp "$work/ini.before" "$HOME/.local/share/Pelnor/Pelnor.INI"
kill -0 "$pid"
kill -TERM "$pid"
wait "$pid"
# Nothing was changed, so no device master was written.
test ! -e "$HOME/.local/share/Pelnor/MCDATA.MST"
test ! -e "$work/root/usr/bin/Pelnor.INI"
# pelnor-cli of the package finds the same root: its demonstration data land there, once.
"$work/root/usr/bin/pelnor-cli" demo > /dev/null 2>&1
test -f "$HOME/.local/share/Pelnor/MCDATA.MST"
"$work/root/usr/bin/pelnor-cli" demo > /dev/null 2>&1 && { echo "demo wrote over a root with a master" >&2; exit 1; }
# ... and its companion paints from that root too.
"$work/root/usr/bin/pelnor-cli" render --device 100 --date "$(date +%Y-%m)" --view sheet --size 320x200 \
  --out "$work/sheet.png" > /dev/null 2>&1
[ "$(head -c 4 "$work/sheet.png" | tail -c 3)" = PNG ]
echo "package ok"
