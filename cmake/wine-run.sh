#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, quietly.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]; the prefix is made on first use.
set -e
export WINEPREFIX="$1"
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE="${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}"
# Tests start in parallel: the first one makes the prefix, the others wait.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1
    "${WINESERVER:-$(dirname "$WINE")/wineserver}" -w
  fi
) 9>"$WINEPREFIX.lock"
exec "$WINE" "$@"
