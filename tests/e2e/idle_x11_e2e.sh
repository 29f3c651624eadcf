#!/bin/bash
# The idle watcher on an X server with no screen-saver daemon (Xvfb), driven by xdotool and checked by
# screenshots:
#   --watch-idle --idle-after 2 names its source, shows the picture after about 2 s without input, a key
#   ends the show, and 2 s later it is back;
#   a focused window covering the screen (a video, a game) keeps the show away until it goes;
#   with the xscreensaver daemon on the display the watcher stays quiet;
#   the X server going away ends the watcher with status 0.
#   idle_x11_e2e.sh PROGRAM HOST_WINDOW_HELPER
set -u
PROGRAM=$1
HOST_HELPER=$2
R=200 G=40 B=90
. "$(dirname "$0")/../lib/scratch.sh" idle_x11 DAEMON_PID WATCH_PID HOST_PID XVFB_PID
on_fail() {
    log_tails 30 watch
}

. "$(dirname "$0")/../lib/one_picture_show.sh"
one_picture_show EffectSpeed=5 StetchImage=1
mkdir -m 700 "$WORK/run"
export SDL_AUDIODRIVER=dummy VORLIN_REGISTRY=$WORK/registry.ini VORLIN_SYSTEM_DIR=$WORK/system
export XDG_RUNTIME_DIR=$WORK/run HOME=$WORK VORLIN_TRACE_IDLE=1
unset QT_QPA_PLATFORM WAYLAND_DISPLAY XSCREENSAVER_WINDOW DISPLAY
export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/no-bus
. "$(dirname "$0")/../lib/x_session.sh"

# Waits up to $2 seconds until the picture is on screen ("on") or not ("off").
wait_screen() {
    local deadline=$((SECONDS + $2)) got
    while [ $SECONDS -lt $deadline ]; do
        got=$(root_pixel 640 512)
        if [ "$1" = on ]; then [ "$got" = "$R,$G,$B" ] && return 0; else [ "$got" != "$R,$G,$B" ] && return 0; fi
        sleep 0.3
    done
    echo "the screen's middle is $got; expected the picture $1" >&2
    return 1
}

# No session to watch at all: one line, status 1 (a desktop entry must not restart it in a loop).
"$WORK/MyShow.scr" --watch-idle > "$WORK/none.log" 2>&1
[ $? = 1 ] || fail "a watcher without an idle source did not end with status 1"
[ "$(wc -l < "$WORK/none.log")" = 1 ] && grep -q "no idle source" "$WORK/none.log" ||
    fail "without an idle source: $(cat "$WORK/none.log")"

start_xvfb
xdotool mousemove 5 5
"$WORK/MyShow.scr" --watch-idle --idle-after 2 > "$WORK/watch.log" 2>&1 &
WATCH_PID=$!
started=$SECONDS
wait_log "through X11 MIT-SCREEN-SAVER" 1 5 || fail "the watcher did not name its source"
first_idle_show "$started"
wait_screen on 20 || fail "the watcher's show is not on screen"
xdotool key a
wait_log "show-end 0" 1 10 || fail "a key did not end the show"
wait_screen off 5 || fail "the show stayed on screen after a key"
wait_log "show-start" 2 15 || fail "the show did not come back after 2 s more"
wait_screen on 20 || fail "the second show is not on screen"
xdotool key a
wait_log "show-end 0" 2 10 || fail "a key did not end the second show"

# A focused window covering the whole screen holds the show off.
start_host 1280 1024 0 0
xdotool windowfocus --sync "$HOST" || fail "cannot focus the full-screen window"
xdotool mousemove 7 7
shows=$(grep -c show-start "$WORK/watch.log")
sleep 6
[ "$(grep -c show-start "$WORK/watch.log")" = "$shows" ] || fail "a show started over a focused full-screen window"
grep -q "held:" "$WORK/watch.log" || fail "the watcher did not say the session is held awake"
stop_host
wait_log "show-start" $((shows + 1)) 15 || fail "no show after the full-screen window went"
wait_screen on 20 || fail "the show after the full-screen window is not on screen"
xdotool key a
wait_log "show-end 0" $((shows + 1)) 10 || fail "a key did not end the show after the full-screen window"

# With the xscreensaver daemon on the display the watcher starts nothing.
if command -v xscreensaver > /dev/null; then
    xscreensaver -no-splash > "$WORK/daemon.log" 2>&1 &
    DAEMON_PID=$!
    for _ in $(seq 50); do xscreensaver-command -version > /dev/null 2>&1 && break; sleep 0.1; done
    xdotool mousemove 9 9
    shows=$(grep -c show-start "$WORK/watch.log")
    wait_log "quiet: the xscreensaver daemon runs" 1 10 || fail "the watcher was not quiet beside the daemon"
    [ "$(grep -c show-start "$WORK/watch.log")" = "$shows" ] || fail "a show started beside the daemon"
    stop_process DAEMON_PID
fi

# The X server goes away: the watcher ends with status 0.
stop_process XVFB_PID
watcher_ends 10 "the X server"
grep -q "X server went away" "$WORK/watch.log" || fail "no word on the X server's end"
echo "PASS"
