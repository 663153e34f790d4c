#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# test_man_pages.sh ORVANE-CLI PAGE...
# Each page renders with man without a warning, at 80 columns as man shows
# it and the way lintian checks it (UTF-8); the page of orvane-cli has a
# subsection for every command of "orvane-cli --help" and names every option.
set -euo pipefail
cli=$1
shift
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

cli_page=
for page in "$@"; do
    [[ -s $page ]] || fail "$page is missing or empty"
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l $page failed"
    [[ -z $warnings ]] || fail "$page: $warnings"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ||
        fail "man -l -Tutf8 $page failed"
    [[ -z $warnings ]] || fail "$page (UTF-8): $warnings"
    [[ $(basename "$page") == orvane-cli.1 ]] && cli_page=$page
done

[[ -n $cli_page ]] || fail "no orvane-cli.1 among the pages"
usage=$("$cli" --help) || fail "orvane-cli --help failed"
commands=0
while IFS= read -r line; do
    [[ $line == "  orvane-cli "* ]] || continue
    read -r -a words <<<"${line#"  orvane-cli "}"
    [[ ${words[0]} == -* ]] && continue
    commands=$((commands + 1))
    command=${words[0]}
    grep -q "^\.SS \"${command}[ \"]" "$cli_page" || fail "orvane-cli.1 has no subsection for $command"
    for word in "${words[@]}"; do
        word=${word//[\[\]]/}
        [[ $word == -* ]] || continue
        grep -qF -- "${word//-/\\-}" "$cli_page" || fail "orvane-cli.1 does not name $command $word"
    done
done <<<"$usage"
((commands > 0)) || fail "orvane-cli --help lists no command"
exit "$failed"
