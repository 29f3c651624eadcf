#!/bin/bash
# The idle watcher and the full-screen show on sway, run headless with two outputs side by side, checked
# by screenshots of each output (grim) and driven by keys typed through the virtual-keyboard protocol
# (wtype):
#   /s covers both outputs and a key ends it;
#   --watch-idle --idle-after 2 names its source, shows on both outputs after about 2 s without input, a
#   key ends the show on both, and 2 s later it is back; a second watcher ends with a message;
#   an idle inhibitor held by a client keeps the show away until the client ends;
#   the compositor going away ends the watcher with status 0.
# sway refuses to run as root, so the compositor and every client run as a user made for this test.
#   idle_sway_e2e.sh PROGRAM INHIBITOR_CLIENT          (77 = skipped: no root to make the user, no sway)
set -u
PROGRAM=$1
INHIBITOR=$2
RUN_AS=vorlin-idle
R=200 G=40 B=90

for tool in sway grim wtype setpriv convert; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done
if [ "$(id -u)" != 0 ] && ! id "$RUN_AS" > /dev/null 2>&1; then
    echo "SKIP: needs root to create the compositor's user" >&2
    exit 77
fi

. "$(dirname "$0")/../lib/scratch.sh" idle_sway HOLD_PID WATCH_PID SHOW_PID KEYBOARD_PID SWAY_PID
chmod 755 "$WORK"
at_exit() {
    # Whatever the user still runs (a show whose watcher was killed) belongs to this test alone.
    pkill -u "$RUN_AS" 2> /dev/null
}
on_fail() {
    log_tails 30 sway watch show grim
}

id "$RUN_AS" > /dev/null 2>&1 || useradd -m "$RUN_AS" || fail "useradd"
RUN_UID=$(id -u "$RUN_AS")
RUN_GID=$(id -g "$RUN_AS")

. "$(dirname "$0")/../lib/one_picture_show.sh"
one_picture_show EffectSpeed=5 StetchImage=1
chmod -R a+rX "$WORK"
mkdir -m 700 "$WORK/run" "$WORK/home"
chown "$RUN_AS" "$WORK/run" "$WORK/home"
mkdir -m 777 "$WORK/system"
: > "$WORK/registry.ini"
chmod 666 "$WORK/registry.ini"

mkdir -m 777 "$WORK/shots"
cat > "$WORK/sway.conf" <<CFG
output HEADLESS-1 resolution 1280x720 position 0 0 bg #102030 solid_color
output HEADLESS-2 resolution 1280x720 position 1280 0 bg #102030 solid_color
default_border none
CFG
chmod 644 "$WORK/sway.conf"

# The command prefix that runs a program as the test's user with the session's environment. A prefix, not
# a function: a function run in the background is a subshell, and $! would not be the program's own PID.
user_prefix() {
    AS_USER=(setpriv --reuid="$RUN_UID" --regid="$RUN_GID" --init-groups env -i PATH="$PATH"
        HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY}
        QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy VORLIN_REGISTRY="$WORK/registry.ini"
        VORLIN_SYSTEM_DIR="$WORK/system" VORLIN_TRACE_IDLE=1)
}
WAYLAND_DISPLAY=
user_prefix
"${AS_USER[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS=2 WLR_RENDERER=pixman \
    sway -c "$WORK/sway.conf" > "$WORK/sway.log" 2>&1 &
SWAY_PID=$!
for _ in $(seq 100); do
    socket=$(ls "$WORK/run" 2> /dev/null | grep -E '^wayland-[0-9]+$' | head -n1)
    [ -n "$socket" ] && break
    sleep 0.1
done
[ -n "$socket" ] || fail "sway made no socket"
WAYLAND_DISPLAY=$socket
user_prefix
# A seat without devices has no keyboard, and each wtype adds one for its key and takes it away again: a
# client could miss the key while it sets up its keyboard. One virtual keyboard kept for the whole test
# is the keyboard a desktop always has.
"${AS_USER[@]}" wtype -s 3600000 &
KEYBOARD_PID=$!
sleep 1

# "r,g,b" at the middle of output $1 (HEADLESS-1 or HEADLESS-2).
middle() {
    "${AS_USER[@]}" grim -o "$1" "$WORK/shots/$1.png" 2> "$WORK/grim.log" || return 1
    png_pixel "$WORK/shots/$1.png" 640 360
}
# Waits up to $1 seconds until both outputs show the picture ("on") or neither does ("off").
wait_outputs() {
    local deadline=$((SECONDS + $2)) a b
    while [ $SECONDS -lt $deadline ]; do
        a=$(middle HEADLESS-1) b=$(middle HEADLESS-2)
        if [ "$1" = on ]; then
            [ "$a" = "$R,$G,$B" ] && [ "$b" = "$R,$G,$B" ] && return 0
        else
            [ "$a" != "$R,$G,$B" ] && [ "$b" != "$R,$G,$B" ] && return 0
        fi
        sleep 0.3
    done
    echo "outputs: HEADLESS-1 $a, HEADLESS-2 $b; expected the picture $1" >&2
    return 1
}
. "$(dirname "$0")/../lib/waiting.sh"
. "$(dirname "$0")/../lib/pixel.sh"

# --- /s on both outputs; a key ends it.
"${AS_USER[@]}" "$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
SHOW_PID=$!
wait_outputs on 20 || fail "/s does not cover both outputs"
"${AS_USER[@]}" wtype a
wait_end "$SHOW_PID" 10 || fail "a key did not end /s"
SHOW_PID=
[ "$status" = 0 ] || fail "/s ended with status $status"
wait_outputs off 5 || fail "the show stayed on screen after it ended"

# --- The watcher: its source, the show after 2 s, a key, the show again.
"${AS_USER[@]}" wtype a
"${AS_USER[@]}" "$WORK/MyShow.scr" --watch-idle --idle-after 2 > "$WORK/watch.log" 2>&1 &
WATCH_PID=$!
started=$SECONDS
wait_log "through Wayland org_kde_kwin_idle" 1 5 || fail "the watcher did not name its source"
[ "$(grep -c '^VorlinSaver:' "$WORK/watch.log")" = 1 ] || fail "more than one line about the source"
first_idle_show "$started"
wait_outputs on 20 || fail "the watcher's show does not cover both outputs"

"${AS_USER[@]}" "$WORK/MyShow.scr" --watch-idle --idle-after 2 > "$WORK/second.log" 2>&1
[ $? = 1 ] || fail "a second watcher did not end with status 1"
grep -q "another idle watcher runs" "$WORK/second.log" || fail "second watcher: $(cat "$WORK/second.log")"

"${AS_USER[@]}" wtype a
wait_log "show-end 0" 1 10 || fail "a key did not end the watcher's show"
wait_outputs off 5 || fail "the watcher's show stayed on an output after a key"
wait_log "show-start" 2 15 || fail "the show did not come back after 2 s more"
wait_outputs on 20 || fail "the second show does not cover both outputs"

# --- An idle inhibitor keeps the show away while it is held.
"${AS_USER[@]}" wtype a
wait_log "show-end 0" 2 10 || fail "a key did not end the second show"
"${AS_USER[@]}" "$INHIBITOR" > "$WORK/hold.log" 2>&1 &
HOLD_PID=$!
for _ in $(seq 50); do grep -qs held "$WORK/hold.log" && break; sleep 0.1; done
grep -q held "$WORK/hold.log" || fail "the inhibitor client: $(cat "$WORK/hold.log")"
"${AS_USER[@]}" wtype a
shows=$(grep -c show-start "$WORK/watch.log")
sleep 6
[ "$(grep -c show-start "$WORK/watch.log")" = "$shows" ] || fail "a show started while an inhibitor was held"
stop_process HOLD_PID
# sway 1.7 re-arms its idle timers at the next input after an inhibitor ends, not at its end.
"${AS_USER[@]}" wtype a
wait_log "show-start" $((shows + 1)) 15 || fail "no show after the inhibitor ended"
wait_outputs on 20 || fail "the show after the inhibitor does not cover both outputs"

# --- The compositor goes away: the watcher ends with status 0.
stop_process SWAY_PID
watcher_ends 10 "the compositor"
grep -q "closed the connection" "$WORK/watch.log" || fail "no word on the compositor's end"
echo "PASS"
