#!/usr/bin/env bash
# The main job on the bundled sample site: a scan of samples/site, then a
# clean of a temporary copy of it (the checked-in samples are never changed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target quellix_cli -j "$(nproc)" >/dev/null
quellix=build/bin/quellix

echo "== quellix scan samples/site"
"$quellix" scan --no-progress samples/site || [ $? -eq 1 ]  # 1: findings

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r samples/site "$copy/site"
echo
echo "== quellix clean --code-file samples/injected-code.txt (a copy of samples/site)"
"$quellix" clean --no-progress --code-file samples/injected-code.txt "$copy/site" | sed "s|$copy/||"
