#!/bin/sh
# Runs a Windows program under Wine in the test run's private prefix.
# Refuses to fall back on ~/.wine when no prefix was given.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set; refusing to use ~/.wine" >&2
  exit 125
fi
export WINEDEBUG="${WINEDEBUG:--all}"

# Wine starts helper processes (the desktop's explorer.exe, conhost.exe) that
# inherit its standard output and linger for a while after the program has
# ended. Collecting the output in a file, not the caller's pipe, lets the
# caller go on as soon as the program itself has ended.
output=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || exit 125
wine "$@" >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit $status
