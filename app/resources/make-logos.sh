#!/usr/bin/env bash
# Draws the program's two logo pictures with ImageMagick and the Liberation Sans font:
# the About window's 362 x 65 JPEG and the 181 x 33, 24-bit bitmap placed on the printed page.
set -euo pipefail
cd "$(dirname "$0")/logos"
fonts=/usr/share/fonts/truetype/liberation
bold=$fonts/LiberationSans-Bold.ttf
regular=$fonts/LiberationSans-Regular.ttf

# A lamp: a warm yellow disc with a soft halo, on a deep blue band.
convert -size 362x65 gradient:'#0d3b66-#1d6fa5' -rotate 90 -resize '362x65!' \
    -fill '#ffd16655' -draw 'circle 34,32 34,4' \
    -fill '#ffd166' -draw 'circle 34,32 34,14' \
    -fill '#fff3c4' -draw 'circle 34,32 34,22' \
    -font "$bold" -pointsize 30 -fill white -annotate +70+38 'Вирасвет' \
    -font "$regular" -pointsize 13 -fill '#cfe6f7' -annotate +72+56 'Virasvet · освещение МОП' \
    -strip -quality 92 -sampling-factor 4:2:0 about-logo.jpg

convert -size 181x33 xc:white \
    -fill '#ffd166' -draw 'circle 16,16 16,4' \
    -fill '#0d3b66' -font "$bold" -pointsize 18 -annotate +36+23 'Вирасвет' \
    -fill '#1d6fa5' -font "$regular" -pointsize 9 -annotate +126+23 'Virasvet' \
    -type TrueColor -strip BMP3:print-logo.bmp
