#!/usr/bin/env bash
# Runs one Windows program of the GUI tests under Wine on a virtual display of
# its own, in a Wine prefix of the tests' own where "宋体" (SimSun) is served by
# AR PL UMing CN, and takes the screenshots the program asks for.
#
# Usage: run_under_xvfb.sh PREFIX SHOT_DIR PROGRAM.exe [ARGS...]
#
# The program asks for a screenshot by writing "NAME X Y WIDTH HEIGHT" (screen
# pixels) into SHOT_DIR/request; this script saves that part of the screen as
# SHOT_DIR/NAME.png, then creates SHOT_DIR/done-NAME. The program finds
# SHOT_DIR under the Windows path in QX_SHOT_DIR. Every wait is bounded; the
# display and the prefix's Wine server are stopped on the way out.
set -euo pipefail

prefix=$1 shots=$2
shift 2

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
wineserver=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
program_timeout=${QX_GUI_TIMEOUT:-300}

workdir=$(mktemp -d)
xvfb_pid=
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$workdir/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$workdir/display" ]; then
  echo "run_under_xvfb: Xvfb did not start" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$workdir/display")"

mkdir -p "$prefix" "$shots"
if [ ! -f "$prefix/system.reg" ]; then
  timeout 600 "$wine" wineboot -i >/dev/null 2>&1
fi
# Font replacements, written as a UTF-16 registry file so the Chinese name
# survives whatever the locale is.
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  printf '"宋体"="AR PL UMing CN"\r\n'
  printf '"SimSun"="AR PL UMing CN"\r\n'
} | iconv -f UTF-8 -t UTF-16LE >"$workdir/fonts.body"
{ printf '\xff\xfe'; cat "$workdir/fonts.body"; } >"$workdir/fonts.reg"
timeout 120 "$wine" regedit /S "Z:$workdir/fonts.reg" >/dev/null 2>&1
timeout 120 "$wineserver" -w || true

export QX_SHOT_DIR="Z:$shots"
rm -f "$shots/request" "$shots"/done-*
timeout "$program_timeout" "$wine" "$@" &
program_pid=$!
while kill -0 "$program_pid" 2>/dev/null; do
  if [ -f "$shots/request" ]; then
    read -r name x y w h <"$shots/request" || true
    rm -f "$shots/request"
    if [[ "$name" =~ ^[A-Za-z0-9_-]+$ ]]; then
      import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$name.png" ||
        echo "run_under_xvfb: screenshot $name failed" >&2
      : >"$shots/done-$name"
    fi
  fi
  sleep 0.1
done
status=0
wait "$program_pid" || status=$?
exit "$status"
