#!/usr/bin/env bash
# The manual page renders without a single groff warning.
# Usage: man_page_test.sh MAN_PAGE
set -euo pipefail
warnings=$(groff -k -man -Tutf8 -ww -z "$1" 2>&1)
[ -z "$warnings" ] || { echo "FAIL: $1 renders with warnings:" >&2; echo "$warnings" >&2; exit 1; }
echo "$1 renders cleanly"
