#!/bin/bash
# The idle watcher on GNOME's compositor: mutter run headless with one virtual monitor on a session bus
# of its own. The watcher must pass over Wayland (mutter offers no Wayland idle protocol), choose
# org.gnome.Mutter.IdleMonitor, start the show after about 2 s without input (the show reports its first
# picture), start no second show while it runs, and end with status 0 when mutter goes.
# Headless mutter has no input devices and no screenshot service, so keys and pixels are checked on sway
# and X11 instead.
#   idle_gnome_e2e.sh PROGRAM          (77 = skipped: no mutter)
set -u
PROGRAM=$1
command -v mutter > /dev/null && command -v dbus-run-session > /dev/null ||
    { echo "SKIP: mutter or dbus-run-session is not installed" >&2; exit 77; }
if [ -z "${VORLIN_IN_SESSION:-}" ]; then
    exec dbus-run-session -- env VORLIN_IN_SESSION=1 "$0" "$@"
fi

. "$(dirname "$0")/../lib/scratch.sh" idle_gnome WATCH_PID MUTTER_PID
on_fail() {
    log_tails 20 mutter watch
}
. "$(dirname "$0")/../lib/waiting.sh"

convert -size 400x300 "xc:rgb(200,40,90)" -type TrueColor BMP3:"$WORK/pic.bmp" || fail "cannot make the picture"
cp "$PROGRAM" "$WORK/MyShow.scr"
printf '[Pictures]\n%s/pic.bmp=1\n[Set]\nImageInterval=60\nEffectSpeed=5\nPlayMusic=0\n' "$WORK" > "$WORK/MyShow.002"
mkdir -m 700 "$WORK/run"
export XDG_RUNTIME_DIR=$WORK/run HOME=$WORK SDL_AUDIODRIVER=dummy VORLIN_REGISTRY=$WORK/registry.ini
export VORLIN_SYSTEM_DIR=$WORK/system VORLIN_TRACE_IDLE=1 VORLIN_REPORT_FIRST_FRAME=1 QT_QPA_PLATFORM=wayland
unset DISPLAY WAYLAND_DISPLAY

start_mutter() {
    rm -f "$WORK/run/wayland-0"
    unset WAYLAND_DISPLAY
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 > "$WORK/mutter.log" 2>&1 &
    MUTTER_PID=$!
    for _ in $(seq 100); do
        [ -S "$WORK/run/wayland-0" ] && gdbus introspect --session --dest org.gnome.Mutter.IdleMonitor \
            --object-path /org/gnome/Mutter/IdleMonitor/Core > /dev/null 2>&1 && break
        kill -0 "$MUTTER_PID" 2> /dev/null || fail "mutter did not start"
        sleep 0.1
    done
    [ -S "$WORK/run/wayland-0" ] || fail "mutter made no Wayland socket"
    export WAYLAND_DISPLAY=wayland-0
}
start_mutter

"$WORK/MyShow.scr" --watch-idle --idle-after 2 > "$WORK/watch.log" 2>&1 &
WATCH_PID=$!
started=$SECONDS
wait_log "through GNOME org.gnome.Mutter.IdleMonitor" 1 10 || fail "the watcher did not choose GNOME's idle monitor"
first_idle_show "$started"
wait_log "first-frame" 1 20 || fail "the show drew no picture on mutter"
sleep 3
[ "$(grep -c show-start "$WORK/watch.log")" = 1 ] || fail "a second show started while the first ran"
grep -q "show-end" "$WORK/watch.log" && fail "the show ended without input"

stop_process MUTTER_PID
watcher_ends 10 mutter

# The session bus goes away (the session's end): the watcher ends with status 0 too.
start_mutter
# Emptied here: the background shell truncates it only when it gets to run, and the first watcher's lines
# would pass the wait below.
: > "$WORK/watch.log"
"$WORK/MyShow.scr" --watch-idle --idle-after 600 > "$WORK/watch.log" 2>&1 &
WATCH_PID=$!
wait_log "through GNOME org.gnome.Mutter.IdleMonitor" 1 10 || fail "the second watcher did not start"
BUS_PID=$(pgrep -P "$PPID" -x dbus-daemon)
[ -n "$BUS_PID" ] || fail "no session bus daemon beside this script"
kill "$BUS_PID"
watcher_ends 15 "the session bus"
echo "PASS"
