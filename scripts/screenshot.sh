#!/usr/bin/env bash
# Regenerates docs/viewer-demo.png (or the given file): the viewer playing the demo recording,
# started on a virtual X server with fresh settings and grabbed a few seconds into playback.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/docs/viewer-demo.png}")
build_dir=${BUILD_DIR:-$root/build}

BUILD_DIR="$build_dir" BUILD_TARGETS="TarvoScope tarvo tarvo_grab_window" "$root/scripts/build.sh" >/dev/null
# A home of its own: the picture shows the defaults, whatever the user has set.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
demo=$(HOME="$home" TARVO="$build_dir/cli/tarvo" "$root/scripts/demo.sh")
mkdir -p "$(dirname "$out")"

HOME="$home" xvfb-run -a -s "-screen 0 1400x900x24" bash -s -- "$build_dir" "$demo" "$out" <<'GRAB'
set -euo pipefail
build_dir=$1 demo=$2 out=$3
"$build_dir/viewer/TarvoScope" "$demo" 2>/dev/null &
viewer=$!
trap 'kill $viewer 2>/dev/null || true' EXIT
window=
for _ in $(seq 150); do
    # The main window carries the program's name (the splash does not), and it is large: Qt
    # also keeps a 1 x 1 window of that name.
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"TarvoScope":/ {
        split($(NF-1), size, /[x+]/); if (size[1] > 200 && size[2] > 200) { print $1; exit } }' || true)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "screenshot.sh: the viewer's window did not appear" >&2; exit 1; }
# Three seconds of playback reach the demo's busy second.
sleep 3.2
"$build_dir/viewer/tarvo_grab_window" "$window" "$out"
GRAB
echo "wrote $out"
