#!/usr/bin/env bash
# Runs `tarvo record --fusion` against the default simulated fusion camera and reads the result
# back with `tarvo info`.
set -euo pipefail
tarvo=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME="$dir/config"
mkdir "$dir/out"

expect() {
    grep -Eqx "$1" <<<"$2" || { echo "missing '$1' in:"; echo "$2"; exit 1; }
}

out=$("$tarvo" record --serial DUET-0001 --seconds 1 --fusion "$dir/out" take)
expect "raw: $dir/out/take\.raw" "$out"
expect "mp4: $dir/out/take\.mp4" "$out"
expect "json: $dir/out/take\.json" "$out"
expect "frames: [1-9][0-9]*" "$out"
expect "recorded_frames_dropped: 0" "$out"
[ -s "$dir/out/take.mp4" ] && [ -s "$dir/out/take.json" ]

# The RAW file begins with the line that marks a fusion recording, and its header says the same.
first=$(head -n 1 "$dir/out/take.raw")
[[ "$first" =~ ^%\ aps_start_timestamp\ ([1-9][0-9]*)$ ]] || { echo "first line: $first"; exit 1; }
info=$("$tarvo" info "$dir/out/take.raw")
expect "aps_start_timestamp: ${BASH_REMATCH[1]}" "$info"
expect "serial_number: DUET-0001" "$info"
expect "events: [1-9][0-9]*" "$info"

if "$tarvo" record --serial NO-SUCH-CAMERA --fusion "$dir/out" x 2>"$dir/err"; then exit 1; fi
grep -q "no camera with serial 'NO-SUCH-CAMERA'" "$dir/err"
if "$tarvo" record --serial KST-USB-0001 --fusion "$dir/out" x 2>"$dir/err"; then exit 1; fi
grep -q "'KST-USB-0001' is not a fusion camera" "$dir/err"
if "$tarvo" record --serial DUET-0001 --seconds 1 --fusion "$dir/missing" x 2>"$dir/err"; then exit 1; fi
grep -q "cannot record into '$dir/missing'" "$dir/err"
status=0
"$tarvo" record --serial DUET-0001 --fusion "$dir/out" 2>/dev/null || status=$?
[ "$status" = 2 ]
echo "fusion record passed"
