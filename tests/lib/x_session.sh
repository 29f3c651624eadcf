# Shell helpers for tests that run the show on an X server of their own. Sourced by a script that defines
# WORK (its scratch folder), fail (reports and exits) and, for the host window helpers, HOST_HELPER.
# Sets XVFB_PID, HOST_PID and HOST for the caller's clean-up. Brings the waiting helpers (wait_end) along.

. "$(dirname "${BASH_SOURCE[0]}")/waiting.sh"

# Starts Xvfb on a free display it picks itself (no collisions with other servers on the machine), waits
# until a client can talk to it, and exports DISPLAY. No reset when the last client leaves: a show started
# during a reset could not connect.
start_xvfb() {
    : > "$WORK/displayfd"
    exec 5> "$WORK/displayfd"
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -br -ac -noreset -nolisten tcp > "$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    exec 5>&-
    for _ in $(seq 100); do
        [ -s "$WORK/displayfd" ] && break
        kill -0 "$XVFB_PID" 2> /dev/null || break
        sleep 0.1
    done
    [ -s "$WORK/displayfd" ] || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$(head -n1 "$WORK/displayfd")
    for _ in $(seq 50); do
        xdotool getdisplaygeometry > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "Xvfb on $DISPLAY does not answer"
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

