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
fail() { echo "FAIL: $*" >&2 && failed=1; }

cli_page=
for page in "$@"; do
    [[ -s $page ]] || fail "$page is missing or empty"
    for mode in "" "-E UTF-8 -Tutf8 -Z"; do
        # shellcheck disable=SC2086 # the mode's words
        warnings=$(env ${mode:+LC_ALL=C.UTF-8} MANWIDTH=80 man --warnings $mode -l "$page" 2>&1 >/dev/null) ||
            fail "man $mode -l $page failed"
        [[ -z $warnings ]] || fail "$page ($mode): $warnings"
    done
    [[ $(basename "$page") == orvane-cli.1 ]] && cli_page=$page
done

[[ -n $cli_page ]] || fail "no orvane-cli.1 among the pages"
usage=$("$cli" --help) || fail "orvane-cli --help failed"
commands=0
while read -r -a words; do
    [[ ${words[0]-} == orvane-cli && ${words[1]:--} != -* ]] || continue
    commands=$((commands + 1))
    grep -q "^\.SS \"${words[1]}[ \"]" "$cli_page" || fail "orvane-cli.1 has no subsection for ${words[1]}"
    for word in "${words[@]//[\[\]]/}"; do
        [[ $word != -* ]] || grep -qF -- "${word//-/\\-}" "$cli_page" || fail "orvane-cli.1 does not name ${words[1]} $word"
    done
done <<<"$usage"
((commands > 0)) || fail "orvane-cli --help lists no command"
exit "$failed"
