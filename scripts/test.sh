#!/usr/bin/env bash
# Builds and runs every test suite: Linux, Linux with address and
# undefined-behaviour sanitizers, the session tests under the thread
# sanitizer, the Windows build under Wine (GUI tests included), and a short
# run of every fuzz target. Ends with CTest's summary lines.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
fuzz_seconds=${QX_FUZZ_SECONDS:-20}
werror=-DQX_WERROR=ON
summary=()

quiet() { # runs a command, showing its output only when it fails
  local log; log=$(mktemp)
  "$@" >"$log" 2>&1 || { tail -n 60 "$log"; rm -f "$log"; echo "FAILED: $*" >&2; exit 1; }
  rm -f "$log"
}

run_preset() { # preset [build targets, space-separated] [ctest args...]
  local preset=$1 target=${2:-all}; shift 2 || shift
  echo "== $preset"
  quiet cmake --preset "$preset" $werror
  # shellcheck disable=SC2086 # the targets are words
  quiet cmake --build --preset "$preset" -j "$jobs" --target $target
  local log; log=$(mktemp)
  if ! ctest --preset "$preset" -j "$jobs" "$@" 2>&1 | tee "$log" | grep -E 'tests passed|tests failed|Failed|\*\*\*'; then :; fi
  summary+=("$preset: $(grep -E 'tests passed' "$log" || echo 'no summary')")
  grep -q '100% tests passed' "$log" || { cat "$log"; rm -f "$log"; echo "FAILED: $preset" >&2; exit 1; }
  rm -f "$log"
}

run_preset linux
run_preset linux-asan
run_preset linux-tsan "engine_session_tests engine_event_queue_test engine_tests" -L tsan
run_preset windows

echo "== fuzz"
quiet cmake --preset fuzz $werror
fuzz_targets=()
for source in fuzz/*.cpp; do fuzz_targets+=("fuzz_$(basename "$source" .cpp)"); done
quiet cmake --build --preset fuzz -j "$jobs" --target "${fuzz_targets[@]}"
fuzzers=0
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  "$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 "$corpus" >"build-fuzz/fuzz/$name.log" 2>&1 \
    || { tail -n 40 "build-fuzz/fuzz/$name.log"; echo "FAILED: fuzz $name" >&2; exit 1; }
  rm -rf "$corpus"
  fuzzers=$((fuzzers + 1))
done
summary+=("fuzz: $fuzzers targets ran ${fuzz_seconds}s each without a finding")

printf '%s\n' "${summary[@]}"
