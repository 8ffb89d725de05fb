#!/usr/bin/env bash
# Feeds `tarvo` files that are not what they claim, or that would make it block or loop, and
# checks that each command ends at once with a reason and changes nothing it should not.
set -euo pipefail
tarvo=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fails() { # fails EXPECTED-MESSAGE COMMAND...: the command must end within 20 s, fail and say why
    local message=$1
    shift
    if timeout 20 "$@" >/dev/null 2>"$dir/err.txt"; then
        echo "succeeded: $*"
        exit 1
    fi
    grep -qF "$message" "$dir/err.txt" || { echo "no '$message' from $*:"; cat "$dir/err.txt"; exit 1; }
}

"$tarvo" synth "$dir/rec.raw" --duration-us 100000 --rate-mev 0.5 --seed 9 >/dev/null

# A header start at the end of the 64-bit clock.
{ printf '%% dvs_start_timestamp 18446744073709551615\n%% end\n'; tail -c +"$(($(grep -abo '% end' "$dir/rec.raw" | cut -d: -f1) + 7))" "$dir/rec.raw"; } >"$dir/late.raw"
fails "leaves no room for its clock" "$tarvo" info "$dir/late.raw"

# Text and random bytes under a recording's name.
seq 1 20000 >"$dir/notes.raw"
fails "does not hold an EVT 3.0 event stream" "$tarvo" dump "$dir/notes.raw"
head -c 65536 /dev/urandom >"$dir/noise.raw"
fails "does not hold an EVT 3.0 event stream" "$tarvo" info "$dir/noise.raw"

# FIFOs as recording, index and output never block.
mkfifo "$dir/pipe.raw"
fails "it is not a regular file" "$tarvo" info "$dir/pipe.raw"
cp "$dir/rec.raw" "$dir/second.raw"
mkfifo "$dir/second.vxmark.tmp"
timeout 20 "$tarvo" info "$dir/second.raw" >/dev/null 2>&1
[ -f "$dir/second.vxmark.tmp" ]
mkfifo "$dir/out.raw"
fails "it is not a regular file" "$tarvo" cut "$dir/rec.raw" "$dir/out.raw" --from-us 1000000 --to-us 1050000

# An index that is a link to the recording (or to any file) is replaced, never written through.
cp "$dir/rec.raw" "$dir/third.raw"
sum=$(cksum <"$dir/third.raw")
ln -s "$dir/third.raw" "$dir/third.vxmark.tmp"
"$tarvo" info "$dir/third.raw" >/dev/null 2>&1
[ "$(cksum <"$dir/third.raw")" = "$sum" ]
[ ! -L "$dir/third.vxmark.tmp" ]

# A recording rewritten at the same size after its index: the index is not trusted.
"$tarvo" synth "$dir/fourth.raw" --duration-us 100000 --rate-mev 0.5 --seed 9 >/dev/null
"$tarvo" info "$dir/fourth.raw" >/dev/null
before=$("$tarvo" dump "$dir/fourth.raw" --count 3)
size=$(stat -c %s "$dir/fourth.raw")
start=$(($(grep -abo '% end' "$dir/fourth.raw" | cut -d: -f1) + 6))
{ head -c "$start" "$dir/fourth.raw"; tail -c +"$((start + 2001))" "$dir/fourth.raw"; head -c 2000 "$dir/fourth.raw" | tail -c 2000 | tr '\000-\377' '\000'; } >"$dir/tmp.raw"
truncate -s "$size" "$dir/tmp.raw"
cat "$dir/tmp.raw" >"$dir/fourth.raw"
touch -d '+1 minute' "$dir/fourth.raw"
after=$("$tarvo" dump "$dir/fourth.raw" --count 3 2>"$dir/err.txt")
grep -q "The recording is newer than its bookmark file." "$dir/err.txt"
[ "$after" != "$before" ]
echo "hostile input passed"
