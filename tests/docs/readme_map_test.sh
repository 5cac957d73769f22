#!/usr/bin/env bash
# The README's table from menu items to the core names things that must exist: the handler
# in the main frame, the dialog class in its file, every other name somewhere in src/.
# readme_map_test.sh SOURCE_DIR
set -u
src=$1/src
failures=0
fail() { echo "README map: $*"; failures=$((failures + 1)); }

rows=$(awk '/^### From a menu item to the core/ {on = 1; next} on && /^\| [^-]/ && !/^\| menu item/ {print} on && /^$/ && seen {exit} on && /^\|/ {seen = 1}' "$1/README.md")
[ -n "$rows" ] || { echo "README map: no table found"; exit 1; }
count=0
while IFS= read -r row; do
  count=$((count + 1))
  IFS='|' read -r _ _ command handler dialog core _ <<< "$row"
  for name in $(grep -o '`[^`]*`' <<< "$handler" | tr -d '`'); do
    grep -q "\b$name(" "$src/app/main_frame.h" || fail "handler $name is not in src/app/main_frame.h"
  done
  class=$(grep -o '`[A-Za-z]*`' <<< "$dialog" | head -1 | tr -d '`')
  file=$(grep -o '`src/[^`]*`' <<< "$dialog" | tr -d '`')
  if [ -n "$file" ]; then
    [ -f "$1/$file" ] || fail "$file does not exist"
    grep -q "$class::" "$1/$file" || fail "$class is not defined in $file"
  fi
  for name in $(grep -o '`[^`/]*`' <<< "$command $core" | tr -d '`'); do
    member=${name##*::}
    owner=${name%::*}
    grep -rqw -- "$member" "$src" || fail "$member ($name) is not in src/"
    if [ "$owner" != "$name" ] && [ "$owner" != cmd ]; then
      grep -rqE "(class|struct) $owner\b" "$src" || fail "$owner ($name) is not a class in src/"
    fi
  done
done <<< "$rows"
echo "README map: $count rows, $failures problems"
[ "$failures" -eq 0 ]
