#!/usr/bin/env bash
# Draws the program's two logo pictures with ImageMagick and the Liberation Sans font:
# the About window's 362 x 65 JPEG (and its 724 x 130 variant) and the 181 x 33, 24-bit bitmap placed on the printed page
# (and its 724 x 132 variant for PDF files and printing).
set -euo pipefail
cd "$(dirname "$0")/logos"
fonts=/usr/share/fonts/truetype/liberation
bold=$fonts/LiberationSans-Bold.ttf
regular=$fonts/LiberationSans-Regular.ttf

# A lamp: a warm yellow disc with a soft halo, on a deep blue band; drawn once more at twice the
# size for screens of twice the pixel density.
about_logo() { # scale file
    local s=$1
    convert -size $((362 * s))x$((65 * s)) gradient:'#0d3b66-#1d6fa5' -rotate 90 \
        -resize "$((362 * s))x$((65 * s))!" \
        -fill '#ffd16655' -draw "circle $((34 * s)),$((32 * s)) $((34 * s)),$((4 * s))" \
        -fill '#ffd166' -draw "circle $((34 * s)),$((32 * s)) $((34 * s)),$((14 * s))" \
        -fill '#fff3c4' -draw "circle $((34 * s)),$((32 * s)) $((34 * s)),$((22 * s))" \
        -font "$bold" -pointsize $((30 * s)) -fill white -annotate +$((70 * s))+$((38 * s)) 'Вирасвет' \
        -font "$regular" -pointsize $((13 * s)) -fill '#cfe6f7' \
        -annotate +$((72 * s))+$((56 * s)) 'Virasvet · освещение МОП' \
        -strip -quality 92 -sampling-factor 4:2:0 "$2"
}
about_logo 1 about-logo.jpg
about_logo 2 about-logo@2x.jpg

# The printed page's logo: 181 x 33 for the saved bitmaps, and four times as many pixels each way
# (350 ppi at its printed size) for PDF files and the printer.
print_logo() { # scale file
    local s=$1
    convert -size $((181 * s))x$((33 * s)) xc:white \
        -fill '#ffd166' -draw "circle $((16 * s)),$((16 * s)) $((16 * s)),$((4 * s))" \
        -fill '#0d3b66' -font "$bold" -pointsize $((18 * s)) -annotate +$((36 * s))+$((23 * s)) 'Вирасвет' \
        -fill '#1d6fa5' -font "$regular" -pointsize $((9 * s)) -annotate +$((126 * s))+$((23 * s)) 'Virasvet' \
        -type TrueColor -strip "$2"
}
print_logo 1 BMP3:print-logo.bmp
print_logo 4 PNG24:print-logo@4x.png
