#!/usr/bin/env bash
# Every option that the program's --help texts list is described in the
# manual page (a command's options in that command's section) and offered by
# the bash completion. One-way: the documents may name options the program
# does not take yet.
# Usage: documented_options_test.sh QUELLIX MAN_PAGE COMPLETION
set -euo pipefail
program=$1 man=$2 completion=$3

options_listed() { # the options of a CLI11 help text: "-h,--help  ...", "--qqwry TEXT  ..."
    sed -n 's/^  \(-[^ ]*\).*/\1/p' | tr ',' '\n'
}
mentions() { # TEXT OPTION: the option stands in the text as a word of its own
    grep -Eq -- "(^|[^-[:alnum:]])$2([^-[:alnum:]]|\$)" <<<"$1"
}
man_text=$(sed 's/\\-/-/g' "$man")
section_of() { # the manual page's subsection on one command
    awk -v command="$1" '/^\.S[HS]/ { inside = index($0, ".SS \"" command " ") == 1 } inside' <<<"$man_text"
}

missing=()
for option in $("$program" --help | options_listed); do
    mentions "$man_text" "$option" || missing+=("$option: manual page")
    mentions "$(cat "$completion")" "$option" || missing+=("$option: bash completion")
done
commands=$("$program" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\+\) .*/\1/p')
[ -n "$commands" ] || { echo "FAIL: no commands in quellix --help" >&2; exit 1; }
for command in $commands; do
    section=$(section_of "$command")
    [ -n "$section" ] || missing+=("$command: no section in the manual page")
    for option in $("$program" "$command" --help | options_listed); do
        case $option in -h | --help) continue ;; esac # described once for every command
        mentions "$section" "$option" || missing+=("$command $option: manual page")
        mentions "$(cat "$completion")" "$option" || missing+=("$command $option: bash completion")
    done
done
if [ ${#missing[@]} -gt 0 ]; then
    printf 'FAIL: undocumented %s\n' "${missing[@]}" >&2
    exit 1
fi
echo "every option of quellix and of its commands (${commands//$'\n'/ }) is documented"
