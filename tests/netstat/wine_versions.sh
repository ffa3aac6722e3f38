#!/usr/bin/env bash
# Runs the Pelvoro.dll test under Wine reporting Windows 7, then Windows 10,
# in a prefix of its own (the version is a prefix-wide setting).
# Usage: wine_versions.sh PREFIX TEST_EXE
set -euo pipefail
export WINEPREFIX="$1"
test_exe="$2"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE="${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$WINE" wineboot -i >/dev/null 2>&1
fi
for version in win7 win10; do
  "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
  echo "== Windows version $version"
  QX_EXPECT_VERSION=$version "$WINE" "$test_exe"
done
