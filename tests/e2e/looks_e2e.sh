#!/bin/bash
# End-to-end runs of the photo looks of a built screen saver on a real X server (Xvfb, 1280x1024),
# checked by screenshots.
#   looks_e2e.sh PROGRAM MODE [SCREENSHOT]
# MODE: fill   a portrait picture on a magenta background: with Fill=1 (the blurred copy) no magenta pixel is
#              left on the screen and the bars are neither black nor the background; with Fill=2 (crop) every
#              pixel of the screen is the picture's. SCREENSHOT, when given, receives the blurred fill's
#              screen (the README's picture).
set -u
PROGRAM=$1
MODE=$2
SCREENSHOT=${3:-}

R=200 G=40 B=90
. "$(dirname "$0")/../lib/screen_e2e.sh" looks

# How many pixels of the image $1 have the colour rgb($2) (not white): all others made white, that colour
# black, the dark share counted.
count_colour() {
    convert -precision 10 "$1" -alpha off -fill white +opaque "rgb($2)" -fill black -opaque "rgb($2)" \
        -format "%[fx:round((1-mean)*w*h)]" info:
}

case $MODE in
fill)
    start_xvfb
    xdotool mousemove 1 1
    magenta=16711935 # 0x00FF00FF: red and blue full
    one_picture_show EffectSpeed=1 BackgroundColor=$magenta Fill=1
    # A portrait picture of a landscape (sky, sun, hills, a tree), 450x800: it keeps its size, bars of 415
    # pixels each side.
    convert -size 450x800 gradient:'#2b5fa8-#f4c27a' \
        -fill '#fff2b0' -draw 'circle 300,330 300,385' \
        -fill '#2f6b3a' -draw 'polygon 0,560 120,500 260,540 450,470 450,800 0,800' \
        -fill '#1d4a27' -draw 'polygon 0,650 200,600 450,680 450,800 0,800' \
        -fill '#4a3020' -draw 'rectangle 95,520 110,640' -fill '#2e7d32' -draw 'circle 102,500 102,560' \
        -type TrueColor BMP3:"$WORK/pic.bmp" || fail "cannot make the portrait picture"
    show_and_shoot
    [ -n "$SCREENSHOT" ] && cp "$WORK/shot.png" "$SCREENSHOT"
    left=$(count_colour "$WORK/shot.png" 255,0,255)
    [ "$left" = 0 ] || fail "Fill=1: $left magenta pixels on the screen"
    convert "$WORK/shot.png" -crop 415x1024+0+0 +repage "$WORK/bar.png"
    [ "$(count_colour "$WORK/bar.png" 0,0,0)" = 0 ] || fail "Fill=1: the left bar has black pixels"
    # The bars are darker than the picture beside them: mean brightness of a strip of each.
    bar=$(convert "$WORK/shot.png" -crop 300x1024+40+0 -colorspace gray -format "%[fx:mean]" info:)
    inside=$(convert "$WORK/shot.png" -crop 300x800+500+112 -colorspace gray -format "%[fx:mean]" info:)
    awk -v b="$bar" -v i="$inside" 'BEGIN { exit !(b < 0.8 * i) }' ||
        fail "Fill=1: the bars (brightness $bar) are not darker than the picture ($inside)"
    echo "Fill=1: no magenta, bars at brightness $bar beside the picture's $inside"

    one_picture_show EffectSpeed=1 BackgroundColor=$magenta Fill=2
    convert -size 300x600 "xc:rgb($R,$G,$B)" -type TrueColor BMP3:"$WORK/pic.bmp" ||
        fail "cannot make the portrait picture"
    show_and_shoot
    covered=$(count_colour "$WORK/shot.png" "$R,$G,$B")
    [ "$covered" = $((1280 * 1024)) ] ||
        fail "Fill=2: $covered of $((1280 * 1024)) pixels show the picture (corner: $(pixel 0 0))"
    echo "Fill=2: the picture covers the screen"
    ;;
*)
    fail "unknown mode $MODE"
    ;;
esac
exit 0
