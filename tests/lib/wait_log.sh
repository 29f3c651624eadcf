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
