#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# test_bash_completion.sh ORVANE-CLI COMPLETION
# Runs the completion function on command lines and compares what it offers.
set -uo pipefail
cli=$1
completion=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1
mkdir sub
touch a.spk B.SPK notes.txt
# shellcheck source=/dev/null
source "$completion"
failed=0

# The words after orvane-cli; the last is the one being completed.
offered() {
    COMP_WORDS=("$cli" "$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _orvane_cli 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' '
}

expect() {
    local want=$1
    shift
    local got
    got=$(offered "$@")
    if [[ $got != "$want" ]]; then
        echo "FAIL: orvane-cli $* <TAB>: offered '$got', expected '$want'" >&2
        failed=1
    fi
}

# Commands: a prefix, and the whole list holds the commands and --version.
expect "plot" pl
expect "port" po
expect "--help --version" --
all=$(offered "")
[[ $(grep -o drivers <<<"$all" | wc -l) == 1 ]] || { echo "FAIL: drivers offered more than once: $all" >&2; failed=1; }
for command in info response new plot port box ts align drivers --help --version; do
    [[ " $all " == *" $command "* ]] || { echo "FAIL: '$command' not offered first: $all" >&2; failed=1; }
done

# Options of a command, those already given left out.
expect "--cone-diameter --diameter --fb --ports --vb --xmax" port --
expect "--cone-diameter --diameter --ports --xmax" port --vb 2 --fb 30 --
expect "--ratio" box --volume 2 --r
# A value-less option: the next word is an option again.
expect "--drivers --qtc --ripple --volume" align --fs 30 --qts 0.4 --vas 3 --type Vented --table --
expect "Sealed Vented" align --type ""
# Values: a choice, a number (nothing), an output file (any file).
expect "1 10 2 5" plot a.spk -o x.png --db-per-div ""
expect "1.414" box --volume 2 --ratio 1.4
expect "" ts --fs ""
expect "B.SPK a.spk notes.txt sub" plot a.spk -o ""
expect "B.SPK a.spk notes.txt sub" new -o ""
# A design file: *.spk in any case and folders; once given, the options.
expect "B.SPK a.spk sub" info ""
expect "B.SPK a.spk sub" plot -o x.png ""
expect "--db-per-div --graph --size -o" plot a.spk ""
expect "--db-per-div --graph --size" plot a.spk -o x.png ""
expect "delay excursion impedance maxspl response spl velocity" plot a.spk -o x.png --graph ""
# A command with subcommands: the words, then each one's options; an import
# takes any file, remove's maker and model nothing.
expect "drivers" dr
expect "export import list remove" drivers ""
expect "--json --library --search" drivers list --
expect "--json --library" drivers list --search x --
expect "csv qspeakers" drivers import a.csv --format ""
expect "B.SPK a.spk notes.txt sub" drivers import ""
expect "--format --library --replace" drivers import notes.txt --
expect "B.SPK a.spk notes.txt sub" drivers export -o ""
expect "" drivers remove ""
expect "" drivers frobnicate ""
# An unknown command offers nothing.
expect "" frobnicate ""
exit "$failed"
