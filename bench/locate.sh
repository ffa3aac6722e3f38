#!/usr/bin/env bash
# `quellix locate` over 100,000 addresses read from a file, on a database of
# 500,000 records; prints the best of three runs and the rate.
# Usage: bench/locate.sh [BUILD_DIR]   (default build/, the linux preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for tool in "$build/bin/quellix" "$build/bin/qqwry-gen"; do
  [ -x "$tool" ] || { echo "build $tool first (targets quellix_cli and qqwry_gen)" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bin/qqwry-gen" "$work/QQWry.dat" 500000
python3 - "$work/addresses.txt" <<'PY'
import random, sys
random.seed(7)
with open(sys.argv[1], "w") as f:
    for _ in range(100_000):
        ip = random.getrandbits(32)
        f.write(f"{ip >> 24}.{(ip >> 16) & 255}.{(ip >> 8) & 255}.{ip & 255}\n")
PY

best=999999999999
for _ in 1 2 3; do
  t0=$(date +%s%N)
  "$build/bin/quellix" locate --qqwry "$work/QQWry.dat" <"$work/addresses.txt" >"$work/out.txt"
  t1=$(date +%s%N)
  t=$(( t1 - t0 )); [ $t -lt $best ] && best=$t
done
lines=$(wc -l <"$work/out.txt")
awk -v n="$best" -v lines="$lines" \
  'BEGIN { printf "quellix locate: %d addresses in %.3f s, %.0f addresses/s\n", lines, n / 1e9, lines / (n / 1e9) }'
