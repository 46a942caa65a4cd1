#!/usr/bin/env bash
# Protects the manual's date as a build hands it over in SOURCE_DATE_EPOCH:
# whatever the value, the tool either refuses it or writes a PDF that is
# whole and the same bytes in every run, whenever it runs.
#     manual_date_test.sh KVMT_MANUAL MANUAL_SOURCES BIN_DIR
set -uo pipefail
manual=$1 sources=$2 bin=$3
failures=0
expect() { # expect DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# make_manual FOLDER EPOCH: the tool's exit status, its PDFs in FOLDER.
make_manual() {
    mkdir -p "$1"
    cp "$bin/libKVUSB.so" "$bin/kvmtconf_en.qm" "$1/"
    SOURCE_DATE_EPOCH=$2 QT_QPA_PLATFORM=offscreen "$manual" "$sources" "$1" >"$1/log" 2>&1
}
date_closed() { # the date's literal ends where the PDF's syntax wants it
    grep -aqE "/CreationDate \(D:[0-9]{14}(Z|[+-][0-9]{2}'[0-9]{2}')\)" "$1"
}

# The year 10000: a date with a fifth digit of year.
make_manual "$scratch/far" 253402300800
status=$?
if [[ $status -eq 0 ]]; then
    for pdf in "$scratch"/far/*.pdf; do
        expect "$(basename "$pdf") dated in the year 10000 keeps its date literal closed" date_closed "$pdf"
    done
else
    echo "ok: a date past the year 9999 is refused (exit $status)"
fi

# Before 1970: two runs a second apart.
make_manual "$scratch/before1" -86400
first=$?
sleep 1.1
make_manual "$scratch/before2" -86400
second=$?
if [[ $first -eq 0 && $second -eq 0 ]]; then
    for pdf in "$scratch"/before1/*.pdf; do
        expect "$(basename "$pdf") dated before 1970 is the same bytes in two runs" \
            cmp -s "$pdf" "$scratch/before2/$(basename "$pdf")"
    done
else
    expect "a date before 1970 is refused every time" test "$first" -ne 0 -a "$second" -ne 0
fi
# The build's clock is not the date's: two runs either side of the turn of
# a minute make the same pictures (every window and dialog the manual shows).
shots() { # shots FOLDER: the pictures of the English edition
    SOURCE_DATE_EPOCH=1765000000 QT_QPA_PLATFORM=offscreen "$manual" --screenshots "$1" "$bin" en >"$scratch/shots.log" 2>&1
}
shots "$scratch/shots1"
sleep $((61 - 10#$(date +%S)))
shots "$scratch/shots2"
for png in "$scratch"/shots1/*.png; do
    expect "$(basename "$png") is the same picture a minute later" cmp -s "$png" "$scratch/shots2/$(basename "$png")"
done
[[ $failures -eq 0 ]]
