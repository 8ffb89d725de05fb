#!/usr/bin/env bash
# Runs `tarvo synth`, `tarvo info` and `tarvo dump` on a small recording and checks their output.
set -euo pipefail
tarvo=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$tarvo" synth "$dir/rec.raw" --duration-us 200000 --rate-mev 0.5 --trigger-hz 20 --seed 3 >/dev/null
info=$("$tarvo" info "$dir/rec.raw")
expect() {
    grep -qx "$1" <<<"$info" || { echo "missing '$1' in:"; echo "$info"; exit 1; }
}
expect "width: 1280"
expect "height: 720"
expect "serial_number: SYNTH-3"
expect "dvs_start_timestamp: 1000000"
expect "start_us: 1000000"
expect "end_us: 1200000"
expect "events: 100000"
# Trigger edges are counted only on request: that decodes the whole recording.
if grep -q "^triggers:" <<<"$info"; then exit 1; fi
grep -qx "triggers: 8" <<<"$("$tarvo" info "$dir/rec.raw" --triggers)"
grep -Eqx "date: [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}" <<<"$info"
grep -Eqx "bookmarks: 10[0-9]" <<<"$info"

dump=$("$tarvo" dump "$dir/rec.raw")
[ "$(grep -vc '^trigger ' <<<"$dump")" = 100000 ]
[ "$(grep -c '^trigger ' <<<"$dump")" = 8 ]
head -1 <<<"$dump" | grep -qx "trigger 1000000 0 1"
# This scene's times never go back, in file order.
awk '{ t = ($1 == "trigger") ? $2 : $1; if (t < last) exit 1; last = t }' <<<"$dump"

part=$("$tarvo" dump "$dir/rec.raw" --from-us 1100000 --count 5)
[ "$(grep -vc '^trigger ' <<<"$part")" = 5 ]
grep -v '^trigger ' <<<"$part" | awk '$1 < 1100000 { exit 1 }'

if "$tarvo" info "$dir/missing.raw" 2>"$dir/err.txt"; then exit 1; fi
grep -q "cannot open '$dir/missing.raw': No such file or directory" "$dir/err.txt"
if "$tarvo" dump "$dir/rec.raw" --from-us 5 2>/dev/null; then exit 1; fi
if "$tarvo" info "$dir/rec.txt" 2>/dev/null; then exit 1; fi
echo "info and dump passed"
