# Waiting helpers for the end-to-end scripts.

# wait_log PATTERN COUNT SECONDS: waits up to SECONDS until $WORK/watch.log holds at least COUNT lines
# matching PATTERN (a log not there yet counts as none).
wait_log() {
    local deadline=$((SECONDS + $3))
    while [ $SECONDS -lt $deadline ]; do
        [ "$(grep -c -- "$1" "$WORK/watch.log" 2> /dev/null)" -ge "$2" ] 2> /dev/null && return 0
        sleep 0.1
    done
    return 1
}

# wait_end PID SECONDS: waits up to SECONDS for process PID (a child of this shell) to end; its exit status
# goes to $status. Returns 1 if it is still running then.
wait_end() {
    local deadline=$((SECONDS + $2))
    while kill -0 "$1" 2> /dev/null; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
    wait "$1"
    status=$?
}

# watcher_ends SECONDS WHAT: the idle watcher WATCH_PID, whose session part WHAT has just gone, must end
# within SECONDS with status 0.
watcher_ends() {
    wait_end "$WATCH_PID" "$1" || fail "the watcher outlived $2"
    WATCH_PID=
    [ "$status" = 0 ] || fail "the watcher ended with status $status when $2 went"
}

# first_idle_show STARTED: the idle watcher started at STARTED (a value of SECONDS) with --idle-after 2 must
# start its first show within 15 s, and not before a second has passed.
first_idle_show() {
    wait_log "show-start" 1 15 || fail "no show after 2 s without input"
    [ $((SECONDS - $1)) -ge 1 ] || fail "the show came before the idle time"
}
