#!/usr/bin/env bash
# Makes sure the demo recording exists in the viewer's default recordings folder and prints its
# path. It is made with `tarvo synth` (TARVO, default build/cli/tarvo) from the recipe below; a
# demo made from another recipe, or by an older version of this script, is made again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tarvo=${TARVO:-$root/build/cli/tarvo}

# Six seconds of a moving scene at 0.6 Mev/s, five times as busy from 2.5 s to 3.5 s, with a
# 10 Hz pulse on trigger input 0: about 24 MB.
recipe=(--duration-us 6000000 --rate-mev 0.6 --burst-from-us 2500000 --burst-to-us 3500000 --burst-factor 5
    --trigger-hz 10 --seed 1)

documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
if [ -z "$documents" ] || [ "$documents" = "$HOME" ]; then
    documents="$HOME/Documents"
fi
demo_dir="$documents/TarvoData"
demo="$demo_dir/demo.raw"
# What the demo was made from, beside it.
stamp="$demo_dir/demo.recipe"

if [ -s "$demo" ] && [ "$(cat "$stamp" 2>/dev/null)" = "${recipe[*]}" ]; then
    echo "$demo"
    exit 0
fi
mkdir -p "$demo_dir"
# The bookmark index of an older demo describes another file.
rm -f "$demo" "$demo_dir/demo.vxmark.tmp" "$stamp"
"$tarvo" synth "$demo.part" "${recipe[@]}" >&2
mv "$demo.part" "$demo"
printf '%s\n' "${recipe[*]}" >"$stamp"
echo "$demo"
