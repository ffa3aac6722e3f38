#!/usr/bin/env bash
# The scan's speed on real trees, side by side in one run: PHP and JSP code
# from Debian's packages (downloaded and unpacked under the build folder,
# nothing installed) and the generated corpus of rules_scan_bench. For each
# tree, and for the Debian trees together, medians of 3 runs of: quellix
# -j1, quellix on every core, the step-by-step reference (--reference-rules),
# `rg -ciF -j1` with 8 keywords over the same files, and yara -p 1 with a
# rule file of ours when yara is installed. Fails when the reference and the
# one-pass way find differently.
# Prints a Markdown table in MB/s of script files (the files the scan rates),
# then how the scan of the Debian trees scales with threads beside what the
# machine gives to as many separate one-thread scans at once, each over its
# own hard-linked copy of the trees (they share nothing but the machine).
# Usage: bench/speed.sh [BUILD_DIR]   (default build/, the linux preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
quellix=$build/bin/quellix
[ -x "$quellix" ] || { echo "build quellix first (cmake --build --preset linux)" >&2; exit 2; }
command -v rg >/dev/null || { echo "rg (Debian: ripgrep) is needed for the floor" >&2; exit 2; }
work=$build/bench-trees
mkdir -p "$work"

# Debian's packaged trees: only the files under usr/share (the rest are links
# into the system that the unpacked tree does not have).
fetch() { # package
  [ -d "$work/$1" ] && return
  (cd "$work" && apt-get download "$1" >/dev/null 2>&1 && dpkg-deb -x "$1"_*.deb "$1" && rm -f "$1"_*.deb)
}
for package in wordpress mediawiki phpmyadmin tomcat10-examples; do
  fetch "$package" || echo "bench: cannot download $package; measuring without it" >&2
done
trees=()
for package in wordpress mediawiki phpmyadmin tomcat10-examples; do
  [ -d "$work/$package/usr/share" ] && trees+=("$work/$package/usr/share")
done
[ ${#trees[@]} -gt 0 ] || { echo "cannot download the Debian packages" >&2; exit 2; }

# The generated corpus: pages of every family, some with planted findings.
corpus=$build/bench-corpus/rules
[ -d "$corpus" ] || "$build/bin/rules_scan_bench" --benchmark_filter=NONE "$corpus" >/dev/null

globs=(-g '*.{asp,asa,cer,inc,htr,cdx,aspx,ascx,asax,ashx,php,php3,php4,php5,phtml,jsp,jspx}')
script_bytes() { # trees... -> bytes of the files the scan rates
  rg --files -j1 "${globs[@]}" "$@" 2>/dev/null | tr '\n' '\0' | du -cb --files0-from=- | tail -1 | cut -f1
}

seconds() { # command... -> wall seconds of one run
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

median() { # command... -> median wall seconds of 3 runs
  local times=()
  for _ in 1 2 3; do times+=("$(seconds "$@")"); done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 2p
}

rate() { # bytes seconds -> MB/s
  echo "scale=1; $1 / $2 / 1000000" | bc
}

rules=$build/bench-yara.yar
cat >"$rules" <<'YARA'
rule eval_of_request { strings: $a = /eval\s*\(\s*\$_(POST|GET|REQUEST)/ nocase condition: $a }
rule base64_eval { strings: $a = "eval(base64_decode(" nocase condition: $a }
rule shell_exec_get { strings: $a = /(system|passthru|shell_exec)\s*\(\s*\$_GET/ nocase condition: $a }
rule wscript_shell { strings: $a = "wscript.shell" nocase condition: $a }
YARA

yara_each() { # trees... -> yara over each in turn (it takes one target)
  for target in "$@"; do yara -p 1 -r "$rules" "$target"; done
}

echo "| Tree | MB | quellix -j1 | quellix -j$(nproc) | reference | rg -ciF -j1 | yara -p 1 |"
echo "|---|---|---|---|---|---|---|"
status=0
measure() { # name trees...
  local name=$1
  shift
  local bytes
  bytes=$(script_bytes "$@")
  # The one-pass way and the reference must find the same.
  "$quellix" scan --json --no-progress -j1 "$@" 2>/dev/null | grep -v '"summary"' >"$work/fast.json" || true
  "$quellix" scan --json --no-progress -j1 --reference-rules "$@" 2>/dev/null | grep -v '"summary"' >"$work/reference.json" || true
  if ! cmp -s "$work/fast.json" "$work/reference.json"; then
    echo "FINDINGS DIFFER on $*" >&2
    status=1
  fi
  local one all reference floor yara_rate="–"
  one=$(median "$quellix" scan -q --no-progress -j1 "$@")
  all=$(median "$quellix" scan -q --no-progress "$@")
  reference=$(median "$quellix" scan -q --no-progress -j1 --reference-rules "$@")
  floor=$(median rg -ciF -j1 "${globs[@]}" -e eval -e execute -e system -e passthru \
    -e shell_exec -e base64_decode -e wscript.shell -e getruntime "$@")
  if command -v yara >/dev/null; then
    yara_rate=$(rate "$bytes" "$(median yara_each "$@")")
  fi
  echo "| $name | $(echo "scale=2; $bytes / 1000000" | bc) | $(rate "$bytes" "$one") |" \
       "$(rate "$bytes" "$all") | $(rate "$bytes" "$reference") | $(rate "$bytes" "$floor") | $yara_rate |"
}
for tree in "${trees[@]}"; do measure "$(basename "$(dirname "$(dirname "$tree")")")" "$tree"; done
measure "Debian trees together" "${trees[@]}"
measure "generated corpus" "$corpus"

# copies[k]: the Debian trees of copy k, one a line (0: the trees themselves),
# made before any scan is timed.
copies=("$(printf '%s\n' "${trees[@]}")")
make_copy() { # k
  local tree package paths=()
  for tree in "${trees[@]}"; do
    package=${tree#"$work"/}
    package=${package%%/*}
    [ -d "$work/copies/$1/$package" ] || { mkdir -p "$work/copies/$1" && cp -al "$work/$package" "$work/copies/$1/"; }
    paths+=("$work/copies/$1/$package/usr/share")
  done
  copies[$1]=$(printf '%s\n' "${paths[@]}")
}
separate() { # n -> n scans with one thread at once, each over its own copy
  local k paths pids=()
  for ((k = 0; k < $1; k++)); do
    mapfile -t paths <<<"${copies[$k]}"
    "$quellix" scan -q --no-progress -j1 "${paths[@]}" >/dev/null 2>&1 &
    pids+=($!)
  done
  wait "${pids[@]}" || true
}
# The machine's speed drifts within minutes, so each round times one thread,
# N threads and N separate scans back to back, and the speed-ups are the
# medians of the rounds' own.
rounds=15
bytes=$(script_bytes "${trees[@]}")
echo
echo "| threads | quellix -jN MB/s | speed-up | N separate -j1 scans at once: speed-up | share |"
echo "|---|---|---|---|---|"
for n in $(for ((k = 2; k < $(nproc); k *= 2)); do echo $k; done) $(nproc); do
  [ "$n" = 1 ] && break
  for ((k = ${#copies[@]}; k < n; k++)); do make_copy "$k"; done
  rows=()
  for ((r = 0; r < rounds; r++)); do
    rows+=("$(seconds "$quellix" scan -q --no-progress -j1 "${trees[@]}") \
$(seconds "$quellix" scan -q --no-progress -j"$n" "${trees[@]}") $(seconds separate "$n")")
  done
  printf '%s\n' "${rows[@]}" | awk -v n="$n" -v bytes="$bytes" '
    { threaded[NR] = $2; up[NR] = $1 / $2; machine[NR] = n * $1 / $3 }
    function median(a, count,   i, j, t) {
      for (i = 1; i <= count; i++) for (j = i + 1; j <= count; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      return a[int((count + 1) / 2)]
    }
    END {
      rate = bytes / median(threaded, NR) / 1e6; u = median(up, NR); m = median(machine, NR)
      printf "| %d | %.1f | %.2f | %.2f | %.2f |\n", n, rate, u, m, u / m
    }'
done
exit $status
