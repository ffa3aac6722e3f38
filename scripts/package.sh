#!/usr/bin/env bash
# Builds the Debian package of the command line from the linux preset's build
# (configuring and building only what ships, as needed) and prints its path:
# build/quellix_<version>_<architecture>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

[ -f build/CMakeCache.txt ] || cmake --preset linux >&2
cmake --build --preset linux -j "$(nproc)" --target quellix_cli quellix pelvoro qqwry_demo_database >&2
log=$(cd build && cpack -G DEB) || { echo "$log" >&2; exit 1; }
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' <<<"$log"
