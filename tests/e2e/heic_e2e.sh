#!/bin/bash
# End to end: a built screen saver shows a HEIC picture full screen on a real X server.
#   heic_e2e.sh PROGRAM
# The picture (400x300, left half one colour, right half another, made by ImageMagick) is shown centred on
# black: a screenshot finds each half's colour where it belongs (within the lossy codec's error) and the
# black background beside it.
set -u
PROGRAM=$1

. "$(dirname "$0")/../lib/screen_e2e.sh" heic

LEFT="200,40,90" RIGHT="30,160,220"
PICTURE=$WORK/photo.heic
convert -size 200x300 "xc:rgb($LEFT)" -size 200x300 "xc:rgb($RIGHT)" +append -quality 92 "$PICTURE" ||
    fail "ImageMagick cannot write HEIC"
one_picture_show EffectSpeed=1

# Whether the screenshot's pixel x,y is within 10 of the colour "r,g,b" in each channel.
near() {
    pixel "$1" "$2" | tr , ' ' |
        awk -v want="$3" -v x="$1" -v y="$2" '{ split(want, w, ","); d = 0
            for (i = 1; i <= 3; ++i) { e = $i - w[i]; if (e < 0) e = -e; if (e > d) d = e }
            if (d > 10) { print "at " x "," y ": " $1 "," $2 "," $3 " want " want > "/dev/stderr"; exit 1 } }'
}

start_xvfb
xdotool mousemove 1 1
"$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
SHOW_PID=$!
# The 1280x1024 screen shows the picture at 440..839 x 362..661.
shown=
deadline=$((SECONDS + 20))
while [ $SECONDS -lt $deadline ]; do
    import -window root "$WORK/shot.png" 2> /dev/null && near 540 512 "$LEFT" 2> /dev/null && { shown=1; break; }
    sleep 0.3
done
[ -n "$shown" ] || fail "the picture's left half never showed: $(near 540 512 "$LEFT" 2>&1) $(cat "$WORK/show.log")"
sleep 1 # the transition's last frame
import -window root "$WORK/shot.png" || fail "no screenshot"
near 540 512 "$LEFT" || fail "left half"
near 445 367 "$LEFT" || fail "top-left corner of the picture"
near 740 512 "$RIGHT" || fail "right half"
near 834 656 "$RIGHT" || fail "bottom-right corner of the picture"
near 20 20 "0,0,0" || fail "the screen's corner is not the black background"
near 434 512 "0,0,0" || fail "left of the picture is not the background"
kill -0 $SHOW_PID || fail "the show ended by itself: $(cat "$WORK/show.log")"
kill -TERM $SHOW_PID
wait_end $SHOW_PID 10 || fail "SIGTERM did not end the show"
SHOW_PID=
[ "$status" = 0 ] || fail "exit status $status"
echo "PASS"
