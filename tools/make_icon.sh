#!/bin/sh
# Draws the wrapper's icon (a box with a green check over a blue band) at nine sizes and
# writes resources/svcpack.ico. Needs ImageMagick.
set -eu
out=${1:-$(dirname "$0")/../resources/svcpack.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none \
    -fill '#2a5ba8' -draw 'roundrectangle 16,40 240,232 28,28' \
    -fill '#e8eef8' -draw 'roundrectangle 32,72 224,216 16,16' \
    -fill '#f2b134' -draw 'rectangle 104,24 152,96' \
    -stroke '#2e9e44' -strokewidth 30 -fill none -draw 'polyline 72,150 112,190 190,104' \
    "$work/master.png"
sizes="16 20 24 32 40 48 64 96 256"
for s in $sizes; do
    convert "$work/master.png" -resize "${s}x${s}" "$work/icon-$s.png"
done
convert $(for s in $sizes; do printf '%s ' "$work/icon-$s.png"; done) "$out"
