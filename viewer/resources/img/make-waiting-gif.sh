#!/usr/bin/env bash
# Draws the busy indicator icon/waiting.gif with ImageMagick: twelve frames of eight dots on a
# ring, the bright head moving one dot per frame with a fading tail. Run it again after changing
# the look; the GIF is committed so that the build does not need ImageMagick.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
frames=8
for ((f = 0; f < frames; f++)); do
    args=()
    for ((d = 0; d < 8; d++)); do
        # Age 0 is the head; older dots are lighter and smaller.
        age=$(( (f - d + 8) % 8 ))
        read -r x y < <(awk -v d="$d" 'BEGIN { a = d * 3.14159265 / 4; printf "%.1f %.1f\n", 48 + 32 * cos(a), 48 + 32 * sin(a) }')
        r=$(awk -v age="$age" 'BEGIN { printf "%.1f", 9 - age * 0.7 }')
        # GIF transparency is all or nothing, so the tail fades towards a light tint instead.
        colour=$(awk -v age="$age" 'BEGIN { t = age / 8; printf "rgb(%d,%d,%d)", 0 + t * 200, 75 + t * 145, 106 + t * 122 }')
        args+=(-fill "$colour" -draw "circle $x,$y $(awk -v x="$x" -v r="$r" 'BEGIN { printf "%.1f", x + r }'),$y")
    done
    convert -size 96x96 xc:none "${args[@]}" "$tmp/frame$f.png"
done
convert -delay 10 -loop 0 -dispose background "$tmp"/frame{0..7}.png icon/waiting.gif
