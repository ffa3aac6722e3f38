#!/usr/bin/env bash
# The scan with YARA rules against the scan and the yara program run one after
# the other, one thread each, over a real tree of PHP code and a generated set
# of 300 webshell rules; prints a Markdown table of medians of three runs.
# The tree is Debian's WordPress, MediaWiki and phpMyAdmin packages,
# downloaded (not installed) and unpacked under the build folder once; the
# sample site when they cannot be had.
# Usage: bench/yara.sh [BUILD_DIR]   (default build/, the linux preset)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
quellix=$build/bin/quellix
[ -x "$quellix" ] || { echo "build $quellix first (target quellix_cli)" >&2; exit 2; }
"$quellix" --version | grep -q 'YARA support: yes' ||
  { echo "$quellix has no YARA support (libyara-dev missing when it was built)" >&2; exit 2; }
command -v yara >/dev/null || { echo "install yara first (scripts/setup.sh)" >&2; exit 2; }

corpus=$build/bench-corpus/yara
mkdir -p "$corpus"
tree=$corpus/tree
if [ ! -d "$tree" ]; then
  debs=$corpus/debs
  mkdir -p "$debs"
  compgen -G "$debs/*.deb" >/dev/null ||
    (cd "$debs" && apt-get download wordpress mediawiki phpmyadmin >/dev/null 2>&1) || true
  if compgen -G "$debs/*.deb" >/dev/null; then
    rm -rf "$tree.partial"
    for deb in "$debs"/*.deb; do dpkg-deb -x "$deb" "$tree.partial"; done
    mv "$tree.partial" "$tree"
  else
    echo "bench: the packages could not be downloaded; measuring the sample site" >&2
    tree=samples/site
  fi
fi

rules=$corpus/rules.yar
python3 - "$rules" <<'PY'
import sys
functions = ["eval", "assert", "system", "exec", "passthru", "shell_exec", "popen", "proc_open",
             "pcntl_exec", "create_function", "call_user_func", "preg_replace", "include",
             "require_once", "file_put_contents", "fwrite", "move_uploaded_file", "base64_decode",
             "gzinflate", "str_rot13"]
inputs = ["$_POST", "$_GET", "$_REQUEST", "$_COOKIE", "$_FILES", "$_SERVER"]
wrappers = [r"base64_decode\s*\(", r"gz(inflate|uncompress|decode)\s*\(", r"str_rot13\s*\(",
            r"\$\{?['\"]?_(POST|GET|REQUEST|COOKIE)", r"stripslashes\s*\(\s*\$_"]
shells = ["c99shell", "r57shell", "b374k", "FilesMan", "WSO_VERSION", "phpspy", "AnonGhost",
          "IndoXploit", "Mini Shell", "Sec. Info", "safe_mode_bypass", "uname -a", "ZeroShell",
          "CgiRunner", "jspspy", "reDuhCheck", "China Chopper", "weevely", "antsword", "Godzilla",
          "Behinder", "WebShellOrb", "cmd.exe /c", "nc -e /bin/sh", "wget http", "chmod 777",
          "/etc/passwd", "mysql_connect(", "fsockopen(", "backconnect"]
hexes = ["3C 3F 70 68 70 [0-40] 65 76 61 6C 28", "3C 25 [0-40] 45 76 61 6C 20 52 65 71 75 65 73 74",
         "3C 3F [0-20] 40 61 73 73 65 72 74 28", "47 49 46 38 39 61 [0-200] 3C 3F 70 68 70",
         "FF D8 FF [0-400] 3C 3F 70 68 70"]
out = []
n = 0
def rule(body, score):
    global n
    n += 1
    out.append("rule ws_%03d : webshell {\n  meta: score = %d\n%s\n}\n" % (n, score, body))
for f in functions:
    for i in inputs:
        rule('  strings: $a = "%s(%s[" nocase $b = "%s(@%s[" nocase\n  condition: any of them'
             % (f, i, f, i), 60 + n % 40)
for f in functions:
    for w in wrappers:
        rule("  strings: $a = /%s\\s*\\(\\s*%s/ nocase\n  condition: $a" % (f, w.replace("/", r"\/")),
             40 + n % 50)
for s in shells:
    rule('  strings: $a = "%s" ascii wide nocase\n  condition: $a and filesize < 2MB' % s, 30 + n % 60)
    rule('  strings: $a = "%s" nocase $b = "<?php"\n  condition: all of them and extension == ".php"'
         % s, 50 + n % 40)
for h in hexes:
    for limit in ["100KB", "500KB", "1MB", "5MB"]:
        rule("  strings: $a = { %s }\n  condition: $a and filesize < %s" % (h, limit), 70 + n % 30)
open(sys.argv[1], "w").write("".join(out))
print(n, file=sys.stderr)
PY

# The files the scan rates, for yara alone on the same files.
scripts=$corpus/scripts.txt
find "$tree" -type f \( -iname '*.asp' -o -iname '*.asa' -o -iname '*.cer' -o -iname '*.inc' \
  -o -iname '*.htr' -o -iname '*.cdx' -o -iname '*.aspx' -o -iname '*.ascx' -o -iname '*.asax' \
  -o -iname '*.ashx' -o -iname '*.php' -o -iname '*.php3' -o -iname '*.php4' -o -iname '*.php5' \
  -o -iname '*.phtml' -o -iname '*.jsp' -o -iname '*.jspx' \) >"$scripts"
externals=(-d filename= -d filepath= -d extension= -d filetype=)

median() { # median wall time of 3 runs of a command, in seconds; any exit status
  local times=() t0 t1
  for _ in 1 2 3; do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N)
    times+=($(( t1 - t0 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 2p | awk '{ printf "%.2f", $1 / 1e9 }'
}

scan=("$quellix" scan -j1 -q --no-progress)
alone=$(median "${scan[@]}" "$tree")
yara_scripts=$(median yara -p 1 -w "${externals[@]}" --scan-list "$rules" "$scripts")
both_scripts=$(median "${scan[@]}" --yara "$rules" "$tree")
yara_all=$(median yara -p 1 -w -N -r "${externals[@]}" "$rules" "$tree")
both_all=$(median "${scan[@]}" --yara "$rules" --yara-all-files "$tree")

files=$(find "$tree" -type f | wc -l)
megabytes=$(du -sm "$tree" | cut -f1)
echo "Tree: $tree, $files files ($(wc -l <"$scripts") rated scripts), $megabytes MB; $(grep -c '^rule' "$rules") rules"
echo
echo "| files | quellix scan -j1 | yara -p 1 | the two in turn | quellix scan -j1 --yara | combined / in turn |"
echo "|---|---|---|---|---|---|"
row() { awk -v what="$1" -v a="$2" -v y="$3" -v c="$4" \
  'BEGIN { printf "| %s | %.2f s | %.2f s | %.2f s | %.2f s | %.2f |\n", what, a, y, a + y, c, c / (a + y) }'; }
row "rated scripts (yara: --scan-list)" "$alone" "$yara_scripts" "$both_scripts"
row "every file (yara -r; --yara-all-files)" "$alone" "$yara_all" "$both_all"
