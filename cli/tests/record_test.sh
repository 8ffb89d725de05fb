#!/usr/bin/env bash
# Runs both forms of `tarvo record` against the default simulated cameras, reads what they wrote
# back with `tarvo info` and `tarvo dump`, and checks that failures say why.
set -euo pipefail
tarvo=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export XDG_CONFIG_HOME="$dir/config"

expect() {
    grep -Eq "$1" <<<"$2" || { echo "missing '$1' in:"; echo "$2"; exit 1; }
}

# A plain recording: its name, size and span on standard output, progress on standard error.
out=$("$tarvo" record --serial KST-USB-0001 --seconds 2 "$dir/plain.raw" 2>"$dir/progress")
expect "^$dir/plain.raw: [0-9]+ bytes, [0-9]+ to [0-9]+ us \((1\.9|2\.0)[0-9]* s\)$" "$out"
expect "^1 s: [0-9.]+ MiB written, [0-9.]+ MiB waiting$" "$(cat "$dir/progress")"
info=$("$tarvo" info "$dir/plain.raw")
expect "^serial_number: KST-USB-0001$" "$info"
expect "^events: [1-9][0-9]{5,}$" "$info"
[ "$("$tarvo" dump "$dir/plain.raw" --count 5 | wc -l)" = 5 ]

# Trigger windows: the simulated camera pulses once a second; each file holds the second before
# its edge and the second after it.
mkdir "$dir/windows"
out=$("$tarvo" record --serial KST-USB-0001 --pre-s 1 --post-s 1 --dir "$dir/windows" --count 2 \
    2>"$dir/progress")
[ "$(grep -c "trigger at" <<<"$out")" = 2 ] || { echo "$out"; exit 1; }
expect "caching 1 s; each rising trigger edge records them and 1 s after it" "$(cat "$dir/progress")"
for file in "$dir"/windows/*.raw; do
    [[ $(basename "$file") =~ ^KST-USB-0001_[0-9]{8}_[0-9]{6}\.raw$ ]] || { echo "bad name $file"; exit 1; }
    expect "^events: [1-9][0-9]{5,}$" "$("$tarvo" info "$file")"
done
[ "$(ls "$dir"/windows/*.raw | wc -l)" = 2 ]
if ls "$dir"/windows | grep -q "tarvo.raw.tmp"; then echo "cache files left behind"; exit 1; fi

# Failures end with a non-zero status and the reason.
if "$tarvo" record --serial KST-USB-0001 --seconds 1 "$dir/plain.raw/take.raw" 2>"$dir/err"; then exit 1; fi
grep -q "Cannot create $dir/plain.raw/take.raw: Not a directory" "$dir/err"
if "$tarvo" record --serial KST-USB-0001 --pre-s 1 --post-s 1 --dir "$dir/plain.raw" 2>"$dir/err"; then exit 1; fi
grep -q "is not a folder" "$dir/err"
if "$tarvo" record --serial KST-USB-0001 --fusion "$dir" take 2>"$dir/err"; then exit 1; fi
grep -q "'KST-USB-0001' is not a fusion camera" "$dir/err"
if "$tarvo" record --serial KST-USB-0001 --seconds 1 --pre-s 1 "$dir/both.raw" 2>"$dir/err"; then exit 1; fi
grep -q "usage: tarvo record" "$dir/err"
if "$tarvo" record --serial NO-SUCH-CAMERA --seconds 1 "$dir/none.raw" 2>"$dir/err"; then exit 1; fi
grep -q "no camera with serial 'NO-SUCH-CAMERA'" "$dir/err"
echo "record passed"
