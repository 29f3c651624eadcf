#!/bin/bash
# The full-screen show on an X server with two monitors: Xorg with the dummy video driver and two RandR
# outputs side by side, 640x480 and a smaller 640x400 (Xvfb cannot make two monitors), no window manager,
# no screen-saver daemon; checked by screenshots of the root window:
#   - /s covers both monitors; Monitors=0 the same picture on both, 1 different pictures, 2 one picture
#     across both; one key (xdotool) ends the show everywhere with status 0;
#   - a monitor switched off while the show runs loses its surface (the show goes on), and switched on
#     again gets the show back within a second;
#   - two processes drawing into one window per monitor (as xscreensaver starts them): with Monitors=1 they
#     start at different places in the list, by their window's monitor (the smaller monitor's window is a
#     full screen there, not a preview pane); with 0 (random order) they show the
#     same pictures; with 2 each shows its monitor's half of the one picture.
#   monitors_x11_e2e.sh PROGRAM HOST_WINDOW_HELPER   (77 = skipped: not root, or Xorg's dummy driver missing)
set -u
PROGRAM=$1
HOST_HELPER=$2

[ "$(id -u)" -eq 0 ] || { echo "SKIP: Xorg needs root here"; exit 77; }
for tool in Xorg xrandr xdotool import convert; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
ls /usr/lib/xorg/modules/drivers/dummy_drv.so > /dev/null 2>&1 || { echo "SKIP: no dummy video driver"; exit 77; }

. "$(dirname "$0")/../lib/scratch.sh" monitors_x SHOW_PID SHOW2_PID HOST_PID HOST2_PID XORG_PID
chmod 755 "$WORK"
on_fail() {
    [ -s "$WORK/show.log" ] && tail -5 "$WORK/show.log"
}

. "$(dirname "$0")/../lib/monitor_show.sh"
make_monitor_show "$PROGRAM"
export SDL_AUDIODRIVER=dummy VORLIN_REGISTRY=$WORK/registry.ini VORLIN_SYSTEM_DIR=$WORK/system
unset QT_QPA_PLATFORM XSCREENSAVER_WINDOW WAYLAND_DISPLAY
. "$(dirname "$0")/../lib/x_session.sh"

cat > "$WORK/xorg.conf" <<'EOF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "640x480"
    EndSubSection
EndSection
EOF
open_display XORG_PID /dev/null Xorg -noreset -nolisten tcp -config "$WORK/xorg.conf" -logfile "$WORK/xorg.log" \
    -displayfd 5 || fail "Xorg did not start: $(grep EE "$WORK/xorg.log" | head -3)"
for _ in $(seq 50); do
    xrandr > /dev/null 2>&1 && break
    sleep 0.1
done
second_on() {
    xrandr --addmode DUMMY1 640x400 2> /dev/null
    xrandr --output DUMMY1 --mode 640x400 --right-of DUMMY0 || fail "cannot switch the second monitor on"
}
second_on
[ "$(xrandr --listmonitors | head -n1)" = "Monitors: 2" ] || fail "no two monitors: $(xrandr --listmonitors)"

# wait_colour COLOUR X Y [TENTHS]
wait_colour() {
    local got=
    for _ in $(seq "${4:-60}"); do
        got=$(root_pixel "$2" "$3")
        [ "$got" = "$1" ] && return 0
        sleep 0.1
    done
    echo "  $2,$3 shows $got, not $1" >&2
    return 1
}
start_show() {
    VORLIN_TRACE=1 "$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
}
end_with_key() {
    local before=$(date +%s%N) status=
    xdotool key x
    for _ in $(seq 50); do
        kill -0 "$SHOW_PID" 2> /dev/null || break
        sleep 0.05
    done
    kill -0 "$SHOW_PID" 2> /dev/null && fail "the show runs on after the key"
    wait "$SHOW_PID"
    status=$?
    echo "key to process end: $((($(date +%s%N) - before) / 1000000)) ms (xdotool's own start included)"
    [ "$status" -eq 0 ] || fail "exit status $status"
    SHOW_PID=
    [ "$(root_pixel 320 240)" != "$1" ] && [ "$(root_pixel 960 240)" != "$2" ] ||
        fail "a monitor still shows the show"
}

echo "== Monitors=0: the same picture on both monitors"
monitor_settings 0 red green blue
start_show
for xy in "1 1" "320 240" "638 478" "641 1" "960 240" "1278 398"; do
    wait_colour $RED $xy || fail "no first picture at $xy"
done
echo "== the second monitor off and on again"
xrandr --output DUMMY1 --off
for _ in $(seq 20); do
    grep -q "monitors 1 screens, 0 surfaces" "$WORK/show.log" && break
    sleep 0.1
done
grep -q "monitors 1 screens, 0 surfaces" "$WORK/show.log" || fail "the switched-off monitor's surface stayed"
kill -0 "$SHOW_PID" 2> /dev/null || fail "the show ended with the monitor"
second_on
on=$(date +%s%N)
wait_colour $RED 960 240 30 || fail "the monitor switched on again did not get the show"
echo "monitor on to show on it: $((($(date +%s%N) - on) / 1000000)) ms (screenshots included)"
wait_colour $RED 320 240 || fail "the first monitor lost the show"
end_with_key $RED $RED

echo "== Monitors=1: different pictures"
monitor_settings 1 red green blue
start_show
wait_colour $RED 320 240 || fail "the left monitor does not start at the list's start"
wait_colour $GREEN 960 240 || fail "the right monitor does not start at its place in the list"
end_with_key $RED $GREEN

echo "== Monitors=2: one picture across both"
monitor_settings 2 wide
start_show
for xy in "1 1" "320 240" "638 478"; do wait_colour $ORANGE $xy || fail "left half missing at $xy"; done
for xy in "641 1" "960 240" "1278 398"; do wait_colour $PURPLE $xy || fail "right half missing at $xy"; done
end_with_key $ORANGE $PURPLE

echo "== one process per monitor, each drawing into a window of its own there (as xscreensaver starts them)"
: > "$WORK/host.id"
"$HOST_HELPER" 640 480 0 0 > "$WORK/host.id" &
HOST_PID=$!
: > "$WORK/host2.id"
"$HOST_HELPER" 640 400 640 0 > "$WORK/host2.id" &
HOST2_PID=$!
for _ in $(seq 50); do
    [ -s "$WORK/host.id" ] && [ -s "$WORK/host2.id" ] && break
    sleep 0.1
done
# run_hosted: both processes on the current settings, right one first; stop_hosted ends them by SIGTERM.
run_hosted() {
    XSCREENSAVER_WINDOW=$(head -n1 "$WORK/host2.id") "$WORK/MyShow.scr" /s > "$WORK/show2.log" 2>&1 &
    SHOW2_PID=$!
    XSCREENSAVER_WINDOW=$(head -n1 "$WORK/host.id") "$WORK/MyShow.scr" /s > "$WORK/show.log" 2>&1 &
    SHOW_PID=$!
}
stop_hosted() {
    kill -TERM "$SHOW_PID" "$SHOW2_PID"
    wait "$SHOW_PID" || fail "the left process ended with status $?"
    wait "$SHOW2_PID" || fail "the right process ended with status $?"
    SHOW_PID= SHOW2_PID=
}
echo "   Monitors=1: each starts at its monitor's place in the list"
monitor_settings 1 red green blue
run_hosted
wait_colour $RED 320 240 || fail "the left process does not start at the list's start"
wait_colour $GREEN 960 240 || fail "the right process does not start at its monitor's place in the list"
stop_hosted
echo "   Monitors=0 in random order: the same pictures, from one seed"
monitor_settings 0 red green blue
sed -i 's/^RandomImage=0/RandomImage=1/' "$WORK/MyShow.002"
for round in 1 2 3; do
    run_hosted
    sleep 1.5
    left=$(root_pixel 320 240)
    [ "$left" = "$RED" ] || [ "$left" = "$GREEN" ] || [ "$left" = "$BLUE" ] || fail "no picture on the left: $left"
    [ "$(root_pixel 960 240)" = "$left" ] ||
        fail "round $round: the right monitor shows $(root_pixel 960 240), the left $left"
    stop_hosted
done
echo "   Monitors=2: each shows its monitor's part of the one picture"
monitor_settings 2 wide
run_hosted
wait_colour $ORANGE 320 240 || fail "the left process does not show the left half"
wait_colour $PURPLE 960 240 || fail "the right process does not show the right half"
stop_hosted
echo "PASS"
