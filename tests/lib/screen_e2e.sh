# The common start of an end-to-end script that shows a built screen saver full screen on an X server of
# its own and judges screenshots. Source it after setting PROGRAM:
#   . "$(dirname "$0")/../lib/screen_e2e.sh" NAME
# It makes $WORK (removed at exit together with the show and the X server, SHOW_PID and XVFB_PID),
# defines fail (which prints the end of the show's log), gives the show a sound-card-free, private
# environment (registry, system folder, home) and brings one_picture_show, start_xvfb and wait_end along.

for tool in Xvfb xdotool import convert; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

. "$(dirname "${BASH_SOURCE[0]}")/scratch.sh" "${1:-e2e}" SHOW_PID XVFB_PID
on_fail() {
    [ -s "$WORK/show.log" ] && tail -5 "$WORK/show.log"
}

export SDL_AUDIODRIVER=dummy
export VORLIN_REGISTRY=$WORK/registry.ini
export VORLIN_SYSTEM_DIR=$WORK/system
export HOME=$WORK/home
unset QT_QPA_PLATFORM XSCREENSAVER_WINDOW WAYLAND_DISPLAY
. "$(dirname "${BASH_SOURCE[0]}")/one_picture_show.sh"
. "$(dirname "${BASH_SOURCE[0]}")/x_session.sh"

# "r,g,b" of the pixel at x,y of the screenshot $WORK/shot.png.
pixel() {
    png_pixel "$WORK/shot.png" "$1" "$2"
}

# Runs the show made by one_picture_show full screen until its first transition has ended and the screen
# shows its end, then takes the screenshot $WORK/shot.png and ends the show.
show_and_shoot() {
    : > "$WORK/show.log"
    VORLIN_TRACE=1 "$WORK/MyShow.scr" /s >> "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    local deadline=$((SECONDS + 20))
    until grep -q '^vorlin-trace: end' "$WORK/show.log"; do
        kill -0 $SHOW_PID 2> /dev/null || fail "the show ended"
        [ $SECONDS -ge $deadline ] && fail "no transition ended within 20 s"
        sleep 0.1
    done
    # The last frame may reach the server a moment after the show reports the end.
    sleep 1
    import -window root "$WORK/shot.png" 2> /dev/null || fail "no screenshot"
    kill $SHOW_PID
    wait_end $SHOW_PID 10 || fail "SIGTERM did not end the show"
    SHOW_PID=
}
