#!/usr/bin/env bash
# The manual page and the README's command table follow the parser: every command of
# "pelnor-cli --help" is in both, every option of "pelnor-cli COMMAND --help" in the manual page.
set -euo pipefail
cli=${PELNOR_CLI:?}
man=${1:?manual page}
readme=${2:?README}
status=0
commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "no commands in pelnor-cli --help" >&2; exit 1; }
for command in $commands; do
  grep -q "^\.BR* $command\b" "$man" || { echo "$man lacks the command $command" >&2; status=1; }
  grep -q "^| \`$command\b" "$readme" || { echo "$readme's table lacks the command $command" >&2; status=1; }
  for option in $("$cli" "$command" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "\\\\-\\\\-${option#--}" "$man" || { echo "$man lacks $command $option" >&2; status=1; }
  done
done
exit $status
