#!/bin/bash
# End-to-end runs of a built screen saver on a real X server, each checked by a screenshot.
#   show_e2e.sh PROGRAM HOST_WINDOW_HELPER MODE
# MODE: screen        MyShow.scr /s with its settings file beside it: the picture on screen; a second /s
#                     on that display ends at once with status 0 and leaves the first running; a key ends
#                     the first, and a show started after it runs
#       sequence      a show of four pictures in list order with reverse drawing allowed and the old image
#                     cleared: after each of 20 transitions the whole screen is exactly the expected picture
#       preview       MyShow.scr /p <id> inside a window made here: the picture inside that window only,
#                     and the process ends when the window goes
#       hostwindow    MyShow.scr -root with XSCREENSAVER_WINDOW naming a small window (hex) and then a
#                     screen-sized one (decimal): drawn inside it either way, ended by SIGTERM with status 0;
#                     naming a window that is gone: ends at once with status 0, no window
#       xscreensaver  the show as the program of the real xscreensaver daemon, activated by command; then a
#                     show in a window of its own on that display makes the daemon stand down, which ends
#                     its show by SIGTERM (needs root to make the daemon's user; 77 = skipped)
set -u
PROGRAM=$1
HOST_HELPER=$2
MODE=$3

# The test picture: one solid colour, 400x300.
R=200 G=40 B=90
. "$(dirname "$0")/../lib/scratch.sh" e2e SHOW_PID SECOND_PID HOST_PID DAEMON_PID XVFB_PID
chmod 755 "$WORK"
at_exit() {
    [ "$MODE" = xscreensaver ] && pkill -u vorlin-e2e 2> /dev/null
}

. "$(dirname "$0")/../lib/one_picture_show.sh"
one_picture_show EffectSpeed=1
chmod -R a+rX "$WORK"

export SDL_AUDIODRIVER=dummy
export VORLIN_REGISTRY=$WORK/registry.ini
export VORLIN_SYSTEM_DIR=$WORK/system
unset QT_QPA_PLATFORM XSCREENSAVER_WINDOW
. "$(dirname "$0")/../lib/x_session.sh"

# Waits up to $3 seconds for the picture's colour at x,y.
wait_for_picture() {
    local deadline=$((SECONDS + $3)) got=
    while [ $SECONDS -lt $deadline ]; do
        got=$(root_pixel "$1" "$2")
        [ "$got" = "$R,$G,$B" ] && return 0
        sleep 0.3
    done
    echo "pixel $1,$2 is $got, expected $R,$G,$B" >&2
    return 1
}

# The X parent of the window named $1, and the root window, as xwininfo prints ids (0x...).
parent_of() {
    xwininfo -name "$1" -children 2> /dev/null | awk '/Parent window id/ {print $4}'
}
root_id() {
    xwininfo -root | awk '/Window id/ {print $4}'
}

case $MODE in
screen)
    start_xvfb
    xdotool mousemove 1 1
    "$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    wait_for_picture 640 512 15 || fail "the picture is not in the middle of the screen"
    # Centred 400x300 picture: the screen's corner keeps the black background.
    [ "$(root_pixel 20 20)" = "0,0,0" ] || fail "corner is $(root_pixel 20 20), expected the black background"
    [ "$(root_pixel 445 367)" = "$R,$G,$B" ] || fail "picture's top-left corner area is not the picture"
    [ "$(root_pixel 438 360)" = "0,0,0" ] || fail "left of the picture is not background"
    kill -0 $SHOW_PID || fail "the show ended by itself"
    [ "$(parent_of "Screen Show")" = "$(root_id)" ] || fail "the show is not a top-level window"
    # A second show on this display ends at once, status 0, and leaves the first one running.
    "$WORK/MyShow.scr" /s > "$WORK/second.log" 2>&1 &
    SECOND_PID=$!
    wait_end $SECOND_PID 10 || fail "a second show runs beside the first"
    SECOND_PID=
    [ "$status" = 0 ] || fail "the second show's exit status is $status"
    grep -q "already runs" "$WORK/second.log" || fail "no word from the second show: $(cat "$WORK/second.log")"
    kill -0 $SHOW_PID || fail "the first show ended when the second started"
    [ "$(root_pixel 640 512)" = "$R,$G,$B" ] || fail "the first show's picture is gone"
    xdotool key a
    wait_end $SHOW_PID 10 || fail "a key did not end the show"
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status"
    # The display is free again for the next show.
    "$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    wait_for_picture 640 512 15 || fail "a show after the first one ended does not show: $(cat "$WORK/show.log")"
    kill -TERM $SHOW_PID
    wait_end $SHOW_PID 10 || fail "SIGTERM did not end the show"
    SHOW_PID=
    ;;
sequence)
    # Four 400x300 pictures of their own colours, shown centred on black; every transition must end on the
    # whole picture, reversed ones included, although the old image is cleared before each.
    colours=("250,30,30" "30,220,40" "40,60,240" "240,230,20")
    : > "$WORK/pictures.ini"
    for i in 0 1 2 3; do
        convert -size 400x300 "xc:rgb(${colours[$i]})" -type TrueColor BMP3:"$WORK/p$i.bmp" ||
            fail "cannot make picture $i"
        convert -size 1280x1024 xc:black +antialias -fill "rgb(${colours[$i]})" -draw "rectangle 440,362 839,661" \
            "$WORK/expected$i.png" || fail "cannot make the expected screen $i"
        echo "$WORK/p$i.bmp=1" >> "$WORK/pictures.ini"
    done
    cat > "$WORK/MyShow.002" <<INI
[Pictures]
$(cat "$WORK/pictures.ini")
[Set]
ImageInterval=3
EffectSpeed=1
RandomImage=0
AllowReverseTransition=1
ClearOldImage=1
PlayMusic=0
INI
    start_xvfb
    xdotool mousemove 1 1
    # The log exists before the show starts: the background shell opens it only when it gets to run.
    : > "$WORK/show.log"
    VORLIN_TRACE=1 "$WORK/MyShow.scr" /s >> "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    count() { grep -c "^vorlin-trace: $1" "$WORK/show.log"; }
    for n in $(seq 20); do
        deadline=$((SECONDS + 20))
        while [ "$(count end)" -lt "$n" ]; do
            kill -0 $SHOW_PID 2> /dev/null || fail "the show ended after $((n - 1)) transitions"
            [ $SECONDS -ge $deadline ] && fail "transition $n did not end within 20 s"
            sleep 0.05
        done
        i=$(((n - 1) % 4))
        name=$(grep '^vorlin-trace: transition' "$WORK/show.log" | sed -n "${n}p" | awk '{print $3}')
        [ "$name" = "$WORK/p$i.bmp" ] || fail "transition $n showed $name, expected p$i.bmp (list order)"
        effect=$(grep '^vorlin-trace: effect' "$WORK/show.log" | sed -n "${n}p" | cut -d' ' -f3-)
        # What stays on screen for the interval. Shot again for up to 2 s: the last frame may reach the
        # server a moment after the show reports the end (and the window is mapped only after the first
        # transition has run).
        shots_end=$((SECONDS + 2))
        while :; do
            import -window root "$WORK/shot.png" 2> /dev/null || fail "no screenshot after transition $n"
            differing=$(compare -metric AE "$WORK/shot.png" "$WORK/expected$i.png" null: 2>&1)
            [ "$differing" = 0 ] || [ $SECONDS -ge $shots_end ] && break
            sleep 0.2
        done
        [ "$differing" = 0 ] ||
            fail "after transition $n (effect $effect) $differing pixels differ from picture $i alone on black"
        # The next transition starts 3 s after this one ended: the shot must lie between the two.
        [ "$(count start)" -eq "$n" ] || fail "the screenshot after transition $n came too late"
    done
    reversed=$(grep -c '^vorlin-trace: effect .* reverse' "$WORK/show.log")
    echo "20 transitions, $reversed of them reversed"
    [ "$reversed" -ge 1 ] || fail "no transition ran reversed"
    xdotool key a
    wait_end $SHOW_PID 10 || fail "a key did not end the show"
    SHOW_PID=
    ;;
preview)
    start_xvfb
    start_host 320 240 100 100
    "$WORK/MyShow.scr" /p "$HOST" > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    wait_for_picture 260 220 15 || fail "the picture is not inside the host window"
    # The preview covers the host and stays inside it (the host clips its child).
    [ "$(root_pixel 99 220)" = "0,0,0" ] || fail "left of the host window is $(root_pixel 99 220)"
    [ "$(root_pixel 260 345)" = "0,0,0" ] || fail "below the host window is $(root_pixel 260 345)"
    [ "$(root_pixel 640 700)" = "0,0,0" ] || fail "the preview reached beyond its host"
    [ "$(parent_of PreviewForm)" = "$(printf '0x%x' "$HOST")" ] || fail "the preview is not the host's child"
    stop_host
    wait_end $SHOW_PID 10 || fail "the preview did not end with its host window"
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status"

    # A window argument that is not a number: an ordinary top-level window of 517x392.
    "$WORK/MyShow.scr" /p abc > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    for _ in $(seq 100); do
        xwininfo -name PreviewForm > "$WORK/info.txt" 2> /dev/null && break
        sleep 0.1
    done
    grep -q "Width: 517" "$WORK/info.txt" && grep -q "Height: 392" "$WORK/info.txt" ||
        fail "/p abc: $(grep -E 'Width|Height' "$WORK/info.txt" | tr -s ' ')"
    [ "$(parent_of PreviewForm)" = "$(root_id)" ] || fail "/p abc is not a top-level window"
    kill -TERM $SHOW_PID
    wait_end $SHOW_PID 10 || fail "SIGTERM did not end the preview"
    SHOW_PID=
    ;;
hostwindow)
    start_xvfb
    # A small host is a preview pane: the picture is shrunk into it.
    start_host 320 240 100 100
    XSCREENSAVER_WINDOW=$(printf '0x%x' "$HOST") "$WORK/MyShow.scr" -root > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    wait_for_picture 260 220 15 || fail "the picture is not inside the small host window"
    [ "$(root_pixel 640 700)" = "0,0,0" ] || fail "the show reached beyond its small host"
    [ "$(parent_of PreviewForm)" = "$(printf '0x%x' "$HOST")" ] || fail "not a preview inside the small host"
    kill -TERM $SHOW_PID
    wait_end $SHOW_PID 10 || fail "SIGTERM did not end the show in the small host"
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status after SIGTERM"
    stop_host

    # A host as large as the screen: the full-screen show inside it.
    start_host 1280 1024 0 0
    XSCREENSAVER_WINDOW=$HOST "$WORK/MyShow.scr" -root > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    wait_for_picture 640 512 15 || fail "the picture is not in the middle of the screen-sized host"
    [ "$(parent_of "Screen Show")" = "$(printf '0x%x' "$HOST")" ] || fail "the show is not inside its host"
    kill -TERM $SHOW_PID
    wait_end $SHOW_PID 10 || fail "SIGTERM did not end the show"
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status after SIGTERM"
    stop_host

    # A host window that is already gone (the daemon ended the screen saver before the show started):
    # the show ends at once with status 0 and never takes the screen in a window of its own.
    XSCREENSAVER_WINDOW=$HOST "$WORK/MyShow.scr" -root > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
    wait_end $SHOW_PID 10 || fail "the show runs on after its host's window is gone"
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status with a gone host window"
    [ -z "$(parent_of "Screen Show")" ] || fail "the show opened a window of its own for a gone host"
    grep -q "window is gone" "$WORK/show.log" || fail "no word on the gone host: $(cat "$WORK/show.log")"
    ;;
xscreensaver)
    if [ "$(id -u)" != 0 ] && ! id vorlin-e2e > /dev/null 2>&1; then
        echo "needs root to create the daemon's user" >&2
        exit 77
    fi
    id vorlin-e2e > /dev/null 2>&1 || useradd -m vorlin-e2e || fail "useradd"
    USER_HOME=$(getent passwd vorlin-e2e | cut -d: -f6)
    start_xvfb
    cat > "$USER_HOME/.xscreensaver" <<CFG
mode: one
selected: 0
lock: False
splash: False
fade: False
unfade: False
timeout: 60
programs: "MyShow" $WORK/MyShow.scr /s \n\\
CFG
    chown vorlin-e2e "$USER_HOME/.xscreensaver"
    as_user() {
        runuser -u vorlin-e2e -- env HOME="$USER_HOME" DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy \
            XDG_CONFIG_HOME="$USER_HOME/.config" "$@"
    }
    # What a failed attempt leaves to look at: the daemon's log, the processes and the named windows.
    report() {
        {
            echo "$1"
            sed 's/^/  daemon: /' "$WORK/daemon.log"
            pgrep -a -u vorlin-e2e | sed 's/^/  process: /'
            xwininfo -root -tree | grep -v 'has no name' | sed 's/^/  window: /'
        } >&2
    }
    # Ends the daemon and everything it started; the user exists for this test alone.
    stop_daemon() {
        pkill -u vorlin-e2e
        for _ in $(seq 50); do
            pgrep -u vorlin-e2e > /dev/null || break
            sleep 0.2
        done
        pkill -KILL -u vorlin-e2e
        [ -n "$DAEMON_PID" ] && wait "$DAEMON_PID" 2> /dev/null
        DAEMON_PID=
    }
    # The daemon sometimes starts silently or shows nothing on its first activation: up to two retries,
    # also when the show was on screen and went away (a program elsewhere told the daemon to stand down;
    # the report shows it). A show in a window of its own, or taken for a preview, fails at once.
    stop_daemon
    shown=
    for attempt in 1 2 3; do
        as_user xscreensaver -no-splash -verbose > "$WORK/daemon.log" 2>&1 &
        DAEMON_PID=$!
        started=
        for _ in $(seq 50); do
            if as_user timeout 5 xscreensaver-command -version > /dev/null 2>&1; then
                started=1
                break
            fi
            sleep 0.2
        done
        if [ -z "$started" ]; then
            report "attempt $attempt: the daemon does not answer"
        elif ! as_user timeout 10 xscreensaver-command -activate > /dev/null 2>&1; then
            report "attempt $attempt: the daemon refused to activate"
        elif ! wait_for_picture 640 512 12; then
            report "attempt $attempt: the picture is not on screen"
        else
            parent=$(parent_of "Screen Show")
            if [ -z "$parent" ] && [ -n "$(parent_of PreviewForm)" ]; then
                report "the show is a preview"
                fail "the show took the daemon's window for a preview pane"
            elif [ -z "$parent" ]; then
                report "attempt $attempt: the show was on screen and is gone"
            elif [ "$parent" = "$(root_id)" ]; then
                report "the show is in a window of its own"
                fail "the show did not draw into the daemon's window"
            else
                shown=1
                break
            fi
        fi
        stop_daemon
    done
    [ -n "$shown" ] || fail "the show is not on screen under the daemon"
    # A show in a window of its own on the same display (as the builder's full-screen preview is) tells
    # the daemon of that display to stand down: the daemon ends its show with SIGTERM.
    "$WORK/MyShow.scr" /s > "$WORK/own.log" 2>&1 &
    SHOW_PID=$!
    deadline=$((SECONDS + 15))
    while pgrep -u vorlin-e2e -f "$WORK/MyShow.scr" > /dev/null; do
        if [ $SECONDS -ge $deadline ]; then
            report "the daemon's show still runs beside a show of its own"
            grep -q "DEACTIVATE: deactivating" "$WORK/daemon.log" ||
                fail "a show of its own did not make the daemon stand down"
            fail "the show did not end on the daemon's SIGTERM"
        fi
        sleep 0.2
    done
    grep -q "DEACTIVATE: deactivating" "$WORK/daemon.log" || fail "the daemon's show ended without a deactivation"
    kill -0 $SHOW_PID 2> /dev/null || fail "the show of its own ended: $(cat "$WORK/own.log")"
    ;;
*)
    fail "unknown mode $MODE"
    ;;
esac
echo "PASS: $MODE"
