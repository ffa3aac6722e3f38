#!/usr/bin/env bash
# systemd-analyze verify finds nothing to say about an instance of each unit.
# verify insists that ExecStart's program exists, so the copies it checks name
# the built program instead of the installed path.
# Usage: systemd_units_test.sh QUELLIX UNIT_DIR
set -euo pipefail
program=$1 units=$2
if ! command -v systemd-analyze >/dev/null; then
    echo "SKIP: systemd-analyze is not installed; the units were not checked"
    exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for unit in "$units"/*; do
    sed "s|/usr/bin/quellix|$program|g" "$unit" >"$scratch/${unit##*/}"
done
instances=("$scratch/quellix-scan@var-www.service" "$scratch/quellix-scan@var-www.timer"
    "$scratch/quellix-watch@var-www.service")
# verify exits 0 on settings it ignores, so anything it prints is a failure.
if ! said=$(systemd-analyze verify --man=no "${instances[@]}" 2>&1) || [ -n "$said" ]; then
    echo "FAIL: systemd-analyze verify:" >&2
    echo "$said" >&2
    exit 1
fi
echo "units verified: ${instances[*]##*/}"
