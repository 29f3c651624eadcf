#!/bin/bash
# Pan and zoom end to end: a built screen saver (/s) with PanZoom=1 on Xvfb, one 400x300 picture with
# detail everywhere, shown unscaled in the middle of the 1280x1024 screen. Two screenshots about a second
# apart while the picture shows must differ inside the picture (it drifts) and be the same, black,
# everywhere around it.
#   panzoom_e2e.sh PROGRAM
set -u
PROGRAM=$1

. "$(dirname "$0")/../lib/screen_e2e.sh" panzoom

R=0 G=0 B=0
# Four seconds a picture: the drift runs over them, so a second moves it by many pixels.
one_picture_show PanZoom=1 EffectSpeed=1
sed -i 's/^ImageInterval=60$/ImageInterval=4/' "$WORK/MyShow.002"
# Detail in every pixel, so that any move of the view changes the shown pixels.
convert -size 400x300 -seed 7 plasma:fractal -blur 0x1 -type TrueColor BMP3:"$WORK/pic.bmp" ||
    fail "cannot make the picture"

start_xvfb
xdotool mousemove 1 1
: > "$WORK/watch.log"
VORLIN_TRACE=1 "$WORK/MyShow.scr" /s >> "$WORK/watch.log" 2>&1 &
SHOW_PID=$!
# The first transition's end: the drift starts there.
wait_log "^vorlin-trace: end" 1 20 || fail "no transition ended: $(cat "$WORK/watch.log")"
sleep 0.8
import -window root "$WORK/a.png" 2> /dev/null || fail "no first screenshot"
sleep 1
import -window root "$WORK/b.png" 2> /dev/null || fail "no second screenshot"
kill -0 $SHOW_PID 2> /dev/null || fail "the show ended by itself"
# Both shots lie inside the picture's four seconds: no second transition has started yet.
[ "$(grep -c '^vorlin-trace: start' "$WORK/watch.log")" -eq 1 ] || fail "the screenshots came too late"

# The picture's place, centred: 440,362 to 839,661.
differing() { # geometry of a part of the screen; prints how many of its pixels differ between the shots
    convert "$WORK/a.png" -crop "$1" +repage "$WORK/pa.png"
    convert "$WORK/b.png" -crop "$1" +repage "$WORK/pb.png"
    compare -metric AE "$WORK/pa.png" "$WORK/pb.png" null: 2>&1
}
moved=$(differing 400x300+440+362)
echo "pixels of the picture that changed in a second: $moved of 120000"
[ "$moved" -gt 12000 ] 2> /dev/null || fail "the picture did not drift: $moved pixels changed"
# Around it nothing changes, and it stays the background.
for part in 1280x362+0+0 1280x362+0+662 440x300+0+362 440x300+840+362; do
    [ "$(differing "$part")" = 0 ] || fail "the screen around the picture changed ($part)"
    convert "$WORK/b.png" -crop "$part" +repage -format '%[fx:maxima.r+maxima.g+maxima.b]' info: |
        grep -qx 0 || fail "the screen around the picture is not the black background ($part)"
done
# Inside, the picture (not the background) shows in both: its corners hold picture pixels.
for shot in a b; do
    corner=$(convert "$WORK/$shot.png" -crop 4x4+440+362 +repage -format '%[fx:mean]' info:)
    [ "$corner" != 0 ] || fail "the picture's corner is black in shot $shot"
done

xdotool key a
wait_end $SHOW_PID 10 || fail "a key did not end the show"
SHOW_PID=
[ "$status" = 0 ] || fail "exit status $status"
echo "pan and zoom: the picture drifts, the screen around it stays"
