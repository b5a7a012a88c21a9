#!/bin/sh
# Makes and tears down the Wine prefix of one test run.
#   wine-prefix.sh start PREFIX   fresh prefix, persistent wineserver
#   wine-prefix.sh stop PREFIX    stop the server (the prefix stays for a look)
set -eu
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and asking for them would wait.
export WINEDLLOVERRIDES="mscoree,mshtml="

case $action in
  start)
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    # The server's output goes nowhere, or it would hold the caller's pipes.
    wineserver -p >/dev/null 2>&1 </dev/null
    wine wineboot --init >/dev/null 2>&1 </dev/null
    test -d "$WINEPREFIX/drive_c/windows/system32"
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
  *)
    echo "usage: wine-prefix.sh start|stop PREFIX" >&2
    exit 2
    ;;
esac
