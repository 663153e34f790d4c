#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# test_bash_completion.sh ORVANE-CLI COMPLETION
# Runs the completion function on command lines and compares what it offers.
set -uo pipefail
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" && mkdir sub && touch a.spk B.SPK notes.txt || exit 1
# shellcheck source=/dev/null
source "$2"
failed=0

# What it offers for the words after orvane-cli, the last being completed.
offered() {
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _orvane_cli 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' '
}
expect() {
    local want=$1 got
    shift
    got=$(offered "$@")
    [[ $got == "$want" ]] || { echo "FAIL: orvane-cli $* <TAB>: offered '$got', expected '$want'" >&2; failed=1; }
}

# Commands: a prefix; the whole list holds each command once, and --version.
expect "plot" pl
all=" $(offered "") "
for command in info response new plot port box ts align drivers --help --version; do
    [[ $all == *" $command "* && $all != *" $command "*" $command "* ]] ||
        { echo "FAIL: '$command' not offered once: $all" >&2; failed=1; }
done
# Options of a command, those already given left out; after a value-less
# option (align --table) an option again.
expect "--cone-diameter --diameter --ports --xmax" port --vb 2 --fb 30 --
expect "--ratio" box --volume 2 --r
expect "--drivers --pr-diameter --pr-fs --pr-qms --pr-sd --pr-vas --prs --ql --qtc --ripple --volume" align --fs 30 --qts 0.4 --vas 3 --type Vented --table --
# Values: a choice, a number (a suggestion or nothing), any file for an
# output or an import; a design file is *.spk in any case or a folder.
expect "PassiveRadiator Sealed Vented" align --type ""
expect "1.414" box --volume 2 --ratio 1.4
expect "" ts --fs ""
expect "chain delay excursion impedance maxspl response spl velocity" plot a.spk -o x.png --graph ""
expect "B.SPK a.spk notes.txt sub" plot a.spk -o ""
expect "B.SPK a.spk notes.txt sub" drivers import ""
expect "B.SPK a.spk sub" plot -o x.png ""
expect "--db-per-div --graph --size" plot a.spk -o x.png ""
# Subcommands, then each one's options; nothing for remove's maker and
# model, an unknown subcommand or an unknown command.
expect "add export import list remove show" drivers ""
expect "--json --kind --library" drivers list --search x --
expect "" drivers remove ""
expect "" drivers frobnicate ""
expect "" frobnicate ""
exit "$failed"
