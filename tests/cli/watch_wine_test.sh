#!/usr/bin/env bash
# quellix.exe watch under Wine: rates a file written into the watched folder
# as it arrives (ReadDirectoryChangesW) and ends with status 0 on Ctrl-C.
# Usage: watch_wine_test.sh QUELLIX_EXE EMULATOR...
set -euo pipefail
program=$1
shift
scratch=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir "$scratch/site"
shell='<?php eval($_POST[cmd])?>'
echo "$shell" >"$scratch/site/seed.php"
"$@" "$program" watch --no-progress "$scratch/site" >"$scratch/out" 2>"$scratch/err" &
pid=$!

await() { # NAME SECONDS: a finding for NAME is printed in time
    for ((i = 0; i < $2 * 10; i++)); do
        grep -q "^木马.*$1" "$scratch/out" && return 0
        sleep 0.1
    done
    echo "FAIL: no finding for $1 within $2 s" >&2
    cat "$scratch/out" "$scratch/err" >&2
    exit 1
}
await seed.php 120 # the initial scan, once Wine (and a new prefix) has started
echo "$shell" >"$scratch/site/door.php"
await door.php 10
kill -INT "$pid"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status after Ctrl-C" >&2; exit 1; }
echo "the watch rated the new file and ended on Ctrl-C"
