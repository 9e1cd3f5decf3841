#!/usr/bin/env bash
# Draws the program icon (128, 64, 48, 32, 16 px) and the four zoom button images with ImageMagick
# (and librsvg2-bin for the 48 px icon).
# The PNGs are committed; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")"

# Program icon: a lit bulb over a sensor wave, drawn large and scaled down.
convert -size 512x512 xc:none \
    -fill '#ffd23a' -stroke '#a06a00' -strokewidth 14 -draw 'circle 256,200 256,60' \
    -fill '#ffd23a' -stroke '#a06a00' -strokewidth 14 -draw 'polygon 176,300 336,300 316,360 196,360' \
    -stroke none -fill '#ffd23a' -draw 'rectangle 185,280 327,340' \
    -fill '#8a8f98' -stroke '#4a4f58' -strokewidth 10 -draw 'roundrectangle 186,366 326,440 18,18' \
    -stroke '#4a4f58' -strokewidth 10 -draw 'line 196,392 316,392' -draw 'line 196,416 316,416' \
    -fill '#4a4f58' -stroke none -draw 'roundrectangle 226,444 286,480 14,14' \
    -fill none -stroke '#fff7c0' -strokewidth 18 -draw 'arc 150,94 362,306 200,250' \
    icon-512.png
for size in 128 64 32 16; do
    convert icon-512.png -filter Lanczos -resize ${size}x${size} PNG32:icons/virasvet-${size}.png
done
rm icon-512.png
# The scalable icon icons/virasvet.svg is the same drawing; the 48 px one is made from it.
rsvg-convert -w 48 -h 48 icons/virasvet.svg -o icons/virasvet-48.png

# Zoom buttons, 20 x 18 and 40 x 36 for screens of twice the pixel density (Qt picks the "@2x"
# file by itself): a double arrow along the axis and a magnifier with minus or plus.
zoom() { # name axis sign
    local arrow
    if [ "$2" = x ]; then
        arrow="line 6,64 38,64 polygon 2,64 14,54 14,74 polygon 42,64 30,54 30,74"
    else
        arrow="line 20,38 20,66 polygon 20,34 10,46 30,46 polygon 20,70 10,58 30,58"
    fi
    local sign="line 38,24 62,24"
    if [ "$3" = plus ]; then sign="$sign line 50,12 50,36"; fi
    convert -size 80x72 xc:none \
        -stroke '#1f4e9a' -strokewidth 6 -fill '#1f4e9a' -draw "${arrow%% polygon*}" \
        -stroke none -draw "polygon ${arrow#* polygon }" \
        -stroke '#303030' -strokewidth 6 -fill '#e8f2ff' -draw 'circle 50,24 50,4' \
        -stroke '#303030' -strokewidth 10 -draw 'line 64,40 76,54' \
        -stroke '#c00000' -strokewidth 6 -fill none -draw "$sign" \
        PNG32:zoom-80.png
    convert zoom-80.png -filter Box -resize 20x18 PNG32:zoom/$1.png
    convert zoom-80.png -filter Box -resize 40x36 PNG32:zoom/$1@2x.png
    rm zoom-80.png
}
zoom x-minus x minus
zoom x-plus x plus
zoom y-minus y minus
zoom y-plus y plus
