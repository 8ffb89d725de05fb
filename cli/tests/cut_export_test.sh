#!/usr/bin/env bash
# Runs `tarvo cut` and `tarvo export` on a synthetic recording and checks what they write.
set -euo pipefail
tarvo=$1
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

"$tarvo" export "$dir/rec.raw" "$dir/video.mp4" --from-us 1000000 --to-us 1100000 2>"$dir/progress.txt" >/dev/null
[ "$(head -c 8 "$dir/video.mp4" | tail -c 4)" = "ftyp" ]
grep -q "exporting: 100%" "$dir/progress.txt"

if "$tarvo" cut "$dir/rec.raw" "$dir/bad.raw" --from-us 1200000 --to-us 1100000 2>/dev/null; then exit 1; fi
if "$tarvo" cut "$dir/rec.raw" "$dir/bad.raw" --from-us 1100000 2>/dev/null; then exit 1; fi
if "$tarvo" export "$dir/rec.raw" "$dir/no/such/folder/v.mp4" --from-us 1000000 --to-us 1100000 2>/dev/null; then exit 1; fi
if "$tarvo" export "$dir/rec.raw" "$dir/late.mp4" --from-us 5000000 --to-us 5100000 2>/dev/null; then exit 1; fi
[ ! -e "$dir/bad.raw" ] && [ ! -e "$dir/late.mp4" ]
echo "cut and export passed"
