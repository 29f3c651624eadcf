# Shell helpers for tests that run the show on an X server of their own. Sourced by a script that defines
# WORK (its scratch folder), fail (reports and exits) and, for the host window helpers, HOST_HELPER.
# Sets XVFB_PID, HOST_PID and HOST for the caller's clean-up. Brings the waiting helpers (wait_end) and
# png_pixel along.

. "$(dirname "${BASH_SOURCE[0]}")/waiting.sh"
. "$(dirname "${BASH_SOURCE[0]}")/pixel.sh"

# open_display PID_VARIABLE LOG COMMAND...: starts the X server COMMAND (which writes its display number to
# descriptor 5: -displayfd 5), its output to LOG and its id into the variable, and waits up to 10 s for the
# number. Exports DISPLAY; returns 1 when no number came (the server ended or is stuck).
open_display() {
    local var=$1 log=$2
    shift 2
    : > "$WORK/displayfd"
    exec 5> "$WORK/displayfd"
    "$@" > "$log" 2>&1 &
    printf -v "$var" %s $!
    exec 5>&-
    for _ in $(seq 100); do
        [ -s "$WORK/displayfd" ] && break
        kill -0 "${!var}" 2> /dev/null || break
        sleep 0.1
    done
    [ -s "$WORK/displayfd" ] || return 1
    export DISPLAY=:$(head -n1 "$WORK/displayfd")
}

# Starts Xvfb on a free display it picks itself (no collisions with other servers on the machine), waits
# until a client can talk to it, and exports DISPLAY. No reset when the last client leaves: a show started
# during a reset could not connect.
start_xvfb() {
    open_display XVFB_PID "$WORK/xvfb.log" Xvfb -displayfd 5 -screen 0 1280x1024x24 -br -ac -noreset -nolisten tcp ||
        fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    for _ in $(seq 50); do
        xdotool getdisplaygeometry > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "Xvfb on $DISPLAY does not answer"
}

# "r,g,b" of the screen's pixel at x,y, from a fresh screenshot ($WORK/shot.png).
root_pixel() {
    import -window root "$WORK/shot.png" 2> /dev/null || return 1
    png_pixel "$WORK/shot.png" "$1" "$2"
}

# Opens a host window of $1x$2 at $3,$4 through HOST_HELPER; its id (decimal) goes to HOST.
start_host() {
    : > "$WORK/host.id"
    "$HOST_HELPER" "$1" "$2" "$3" "$4" > "$WORK/host.id" &
    HOST_PID=$!
    for _ in $(seq 50); do
        [ -s "$WORK/host.id" ] && break
        sleep 0.1
    done
    HOST=$(head -n1 "$WORK/host.id")
    [ -n "$HOST" ] || fail "no host window"
}

# Closes the host window started by start_host.
stop_host() {
    kill "$HOST_PID" 2> /dev/null
    wait "$HOST_PID" 2> /dev/null
    HOST_PID=
}

