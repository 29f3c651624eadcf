#!/bin/bash
# End-to-end: a caption and a clock on a real X server. A show of one uniform picture as large as the
# screen, with the file name as caption (Caption=1) and the time and date (Clock=2): the screenshot differs
# from the picture only in the bottom-left corner (the caption) and the bottom-right corner (the clock),
# and in both of them.
#   overlays_e2e.sh PROGRAM [SCREENSHOT]   (SCREENSHOT: where to keep the screenshot, e.g. for the README)
set -u
PROGRAM=$1
KEEP_SHOT=${2:-}

R=52 G=96 B=140
. "$(dirname "$0")/../lib/screen_e2e.sh" overlays
# As large as the screen, so that the screen is the picture; its name is the caption.
PICTURE="$WORK/Evening at the lake.bmp"
convert -size 1280x1024 "xc:rgb($R,$G,$B)" -type TrueColor BMP3:"$PICTURE" || fail "cannot make the picture"
one_picture_show Caption=1 Clock=2 EffectSpeed=1

start_xvfb
xdotool mousemove 1 1

# Pixels of $WORK/shot.png that are not the picture's colour, inside the region WxH+X+Y.
marked() {
    convert "$WORK/mask.png" -crop "$1" +repage -format "%[fx:round(mean*w*h)]" info:
}

"$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
SHOW_PID=$!
# The screen is the picture once the transition has ended; the corners then hold caption and clock.
deadline=$((SECONDS + 20))
above= caption= clock=
while :; do
    [ $SECONDS -ge $deadline ] &&
        fail "no caption and clock alone in their corners: caption $caption, clock $clock, elsewhere $above pixels"
    kill -0 $SHOW_PID 2> /dev/null || fail "the show ended"
    sleep 0.5
    import -window root "$WORK/shot.png" 2> /dev/null || continue
    convert "$WORK/shot.png" -fill black -opaque "rgb($R,$G,$B)" -fill white +opaque black "$WORK/mask.png" ||
        fail "cannot read the screenshot"
    [ "$(pixel 640 400)" = "$R,$G,$B" ] || continue
    above=$(marked 1280x896+0+0)
    caption=$(marked 640x128+0+896)
    clock=$(marked 640x128+640+896)
    [ "$above" = 0 ] && [ "$caption" -gt 100 ] && [ "$clock" -gt 100 ] && break
done
echo "caption $caption pixels, clock $clock pixels, elsewhere $above"
[ -n "$KEEP_SHOT" ] && cp "$WORK/shot.png" "$KEEP_SHOT"

xdotool key a
wait_end $SHOW_PID 10 || fail "a key did not end the show"
SHOW_PID=
[ "$status" = 0 ] || fail "exit status $status"
