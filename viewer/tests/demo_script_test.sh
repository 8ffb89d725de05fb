#!/usr/bin/env bash
# scripts/demo.sh makes the demo recording once, keeps it while its recipe stands, and replaces
# a demo of another recipe (an older run's) together with that demo's bookmark index.
set -euo pipefail
root=$1
tarvo=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home TARVO=$tarvo XDG_CONFIG_HOME=$home/.config

demo=$("$root/scripts/demo.sh" 2>/dev/null)
[ "$demo" = "$home/Documents/TarvoData/demo.raw" ] || { echo "demo at '$demo'"; exit 1; }
info=$("$tarvo" info "$demo" --triggers)
grep -qx "start_us: 1000000" <<<"$info"
grep -qx "end_us: 7000000" <<<"$info"
grep -Eq "^triggers: [1-9]" <<<"$info"

# Kept as it is while the recipe stands.
touch -d '2020-01-01' "$demo"
kept=$(stat -c %Y "$demo")
[ "$("$root/scripts/demo.sh" 2>/dev/null)" = "$demo" ]
[ "$(stat -c %Y "$demo")" = "$kept" ] || { echo "the demo was made again"; exit 1; }

# A demo of an older run has no recipe beside it: it is made again, its index goes.
rm "$home/Documents/TarvoData/demo.recipe"
printf 'old demo' >"$demo"
printf 'old index' >"$home/Documents/TarvoData/demo.vxmark.tmp"
[ "$("$root/scripts/demo.sh" 2>/dev/null)" = "$demo" ]
[ "$(stat -c %s "$demo")" -gt 1000000 ] || { echo "the old demo was kept"; exit 1; }
[ ! -e "$home/Documents/TarvoData/demo.vxmark.tmp" ] || { echo "the old index was kept"; exit 1; }
[ ! -e "$demo.part" ]
echo "demo script passed"
