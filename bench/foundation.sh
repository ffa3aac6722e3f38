#!/usr/bin/env bash
# The engine's walk against `find` and its text reader against `iconv`, on
# the same generated data in one run; prints a Markdown table.
# Usage: bench/foundation.sh [BUILD_DIR]   (default build/, the linux preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bench=$build/bin/foundation_bench
[ -x "$bench" ] || { echo "build $bench first (cmake --build --preset linux --target foundation_bench)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 20,000 files in 400 directories of 50, two levels deep.
for d in $(seq 1 20); do
  for e in $(seq 1 20); do
    dir="$work/tree/d$d/e$e"; mkdir -p "$dir"
    for f in $(seq 1 50); do : > "$dir/page$f.html"; done
  done
done
# 100 MB of UTF-8 text with its byte-order mark: mixed ASCII and Chinese lines.
python3 - "$work/text.txt" <<'PY'
import sys
line = ("<?php echo '网页木马扫描 scan line'; $a = array(1, 2, 3); ?>\r\n").encode()
with open(sys.argv[1], "wb") as f:
    f.write(b"\xef\xbb\xbf")
    f.write(line * (100_000_000 // len(line)))
PY
tail -c +4 "$work/text.txt" > "$work/plain.txt"  # the same text without its mark

best() { # best wall time of 5 runs of a command, in seconds
  local best=999999999999 t0 t1 t
  for _ in 1 2 3 4 5; do
    t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N)
    t=$(( t1 - t0 )); [ $t -lt $best ] && best=$t
  done
  awk -v n="$best" 'BEGIN { printf "%.4f", n / 1e9 }'
}

find_s=$(best find "$work/tree" -type f)
walk_s=$("$bench" walk "$work/tree" 5 | cut -d' ' -f1)
iconv_s=$(best iconv -f UTF-8 -t UTF-16LE "$work/text.txt")
read_s=$("$bench" read "$work/text.txt" 5 | cut -d' ' -f1)
plain_s=$("$bench" read "$work/plain.txt" 5 | cut -d' ' -f1)

echo "| measure | engine (s) | reference (s) | ratio |"
echo "|---|---|---|---|"
awk -v a="$walk_s" -v b="$find_s" 'BEGIN { printf "| walk, 20,000 files | %.4f | %.4f (find -type f) | %.2fx |\n", a, b, a / b }'
awk -v a="$read_s" -v b="$iconv_s" 'BEGIN { printf "| ReadText, 100 MB UTF-8 with mark | %.4f | %.4f (iconv to UTF-16LE) | %.2fx |\n", a, b, a / b }'
awk -v a="$plain_s" -v b="$iconv_s" 'BEGIN { printf "| ReadText, 100 MB UTF-8 without mark (code-page path) | %.4f | %.4f (iconv to UTF-16LE) | %.2fx |\n", a, b, a / b }'
