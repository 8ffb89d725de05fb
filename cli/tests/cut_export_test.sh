#!/usr/bin/env bash
# Runs `tarvo cut` and `tarvo export` on a synthetic recording and checks what they write.
set -euo pipefail
tarvo=$(realpath "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$tarvo" synth "$dir/rec.raw" --duration-us 300000 --rate-mev 0.5 --trigger-hz 20 --seed 5 >/dev/null

"$tarvo" cut "$dir/rec.raw" "$dir/cut.raw" --from-us 1100000 --to-us 1200000 >/dev/null
info=$("$tarvo" info "$dir/cut.raw")
grep -qx "dvs_start_timestamp: 1100000" <<<"$info"
grep -qx "start_us: 1100000" <<<"$info"
# The cut holds exactly the source's events from the start of the range on.
"$tarvo" dump "$dir/cut.raw" | grep -v '^trigger ' >"$dir/cut.txt"
count=$(wc -l <"$dir/cut.txt")
[ "$count" -gt 40000 ]
"$tarvo" dump "$dir/rec.raw" --from-us 1100000 --count "$count" | grep -v '^trigger ' >"$dir/source.txt"
cmp -s "$dir/cut.txt" "$dir/source.txt"
awk '$1 >= 1200000 { exit 1 }' "$dir/cut.txt"

# A cut of 1 ms reads back with its events and edges, as the source has them in that range.
"$tarvo" cut "$dir/rec.raw" "$dir/short.raw" --from-us 1150000 --to-us 1151000 >/dev/null
"$tarvo" dump "$dir/short.raw" >"$dir/short.txt"
"$tarvo" dump "$dir/rec.raw" --from-us 1150000 >"$dir/from.txt"
awk '{ t = ($1 == "trigger") ? $2 : $1; if (t >= 1151000) exit; print }' "$dir/from.txt" >"$dir/expected.txt"
[ -s "$dir/short.txt" ]
cmp -s "$dir/short.txt" "$dir/expected.txt"
info=$("$tarvo" info "$dir/short.raw")
grep -qx "start_us: 1150000" <<<"$info"
! grep -qx "end_us: 1150000" <<<"$info"

# A range that runs past the end ends at the end of the recording, for cut and export alike.
"$tarvo" cut "$dir/rec.raw" "$dir/tail.raw" --from-us 1250000 --to-us 18446744073709551615 >/dev/null
[ "$("$tarvo" dump "$dir/tail.raw" | wc -l)" = "$("$tarvo" dump "$dir/rec.raw" --from-us 1250000 | wc -l)" ]
timeout 60 "$tarvo" export "$dir/rec.raw" "$dir/tail.mp4" --from-us 1250000 --to-us 18446744073709551615 >/dev/null 2>&1
[ "$(head -c 8 "$dir/tail.mp4" | tail -c 4)" = "ftyp" ]

"$tarvo" export "$dir/rec.raw" "$dir/video.mp4" --from-us 1000000 --to-us 1100000 2>"$dir/progress.txt" >/dev/null
[ "$(head -c 8 "$dir/video.mp4" | tail -c 4)" = "ftyp" ]
grep -q "exporting: 100%" "$dir/progress.txt"
# A colon names a file, not an FFmpeg protocol.
(cd "$dir" && "$tarvo" export rec.raw 12:30.mp4 --from-us 1000000 --to-us 1100000 >/dev/null 2>&1)
[ "$(head -c 8 "$dir/12:30.mp4" | tail -c 4)" = "ftyp" ]

# The recording is never its own output, under whatever name.
ln -s "$dir/rec.raw" "$dir/link.raw"
ln "$dir/rec.raw" "$dir/hard.raw"
sum=$(cksum <"$dir/rec.raw")
for out in "$dir/rec.raw" "$dir/./rec.raw" "$dir/link.raw" "$dir/hard.raw"; do
    if "$tarvo" export "$dir/rec.raw" "$out" --from-us 1000000 --to-us 1100000 2>"$dir/err.txt" >/dev/null; then exit 1; fi
    grep -q "it is the recording being read" "$dir/err.txt"
    if "$tarvo" cut "$dir/rec.raw" "$out" --from-us 1000000 --to-us 1100000 2>"$dir/err.txt" >/dev/null; then exit 1; fi
    grep -q "it is the recording being read" "$dir/err.txt"
    [ "$(cksum <"$dir/rec.raw")" = "$sum" ]
done

if "$tarvo" cut "$dir/rec.raw" "$dir/bad.raw" --from-us 1200000 --to-us 1100000 2>/dev/null; then exit 1; fi
if "$tarvo" cut "$dir/rec.raw" "$dir/bad.raw" --from-us 1100000 2>/dev/null; then exit 1; fi
if "$tarvo" export "$dir/rec.raw" "$dir/no/such/folder/v.mp4" --from-us 1000000 --to-us 1100000 2>/dev/null; then exit 1; fi
if "$tarvo" export "$dir/rec.raw" "$dir/late.mp4" --from-us 5000000 --to-us 5100000 2>/dev/null; then exit 1; fi
[ ! -e "$dir/bad.raw" ] && [ ! -e "$dir/late.mp4" ]

# A range without events fails and writes nothing.
"$tarvo" synth "$dir/sparse.raw" --duration-us 300000 --rate-mev 0 --trigger-hz 0 --seed 5 >/dev/null
if "$tarvo" export "$dir/sparse.raw" "$dir/none.mp4" --from-us 1000000 --to-us 1200000 2>"$dir/err.txt" >/dev/null; then exit 1; fi
grep -q "There is no data in the interval." "$dir/err.txt"
[ ! -e "$dir/none.mp4" ]

# Writing that fails is reported: a file size limit stands in for a full disk (the signal it
# raises is ignored, so that the write fails with an error instead).
if (ulimit -f 16; trap '' XFSZ; "$tarvo" cut "$dir/rec.raw" "$dir/full.raw" --from-us 1000000 --to-us 1200000) \
    >/dev/null 2>"$dir/err.txt"; then exit 1; fi
grep -q "tarvo cut: writing '$dir/full.raw' failed: Failed to write the expected number of bytes to the output file." "$dir/err.txt"
if (ulimit -f 16; trap '' XFSZ; "$tarvo" export "$dir/rec.raw" "$dir/full.mp4" --from-us 1000000 --to-us 1300000) \
    >/dev/null 2>"$dir/err.txt"; then exit 1; fi
grep -q "no video was written" "$dir/err.txt"
echo "cut and export passed"
