#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, quietly.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]; the prefix is made on first use.
set -e
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE="${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1
fi
exec "$WINE" "$@"
