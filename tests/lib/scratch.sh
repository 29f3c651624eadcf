# The scratch folder of an end-to-end script and its clean-up at exit. Source it with the folder's name and
# the names of the variables that are to hold the ids of the processes the script starts:
#   . "$(dirname "$0")/../lib/scratch.sh" NAME SHOW_PID XVFB_PID ...
# Makes $WORK (/tmp/vorlin_NAME.XXXXXX) and empties those variables. At exit it runs the script's at_exit
# (if it defines one), ends the processes the variables then hold (SIGTERM, in the order given; an emptied
# variable is passed over), waits for the script's children and removes $WORK.
# fail reports, adds what the script's on_fail prints (if it defines one) and exits with status 1.

WORK=$(mktemp -d "/tmp/vorlin_$1.XXXXXX")
SCRATCH_PIDS=("${@:2}")
for _var in "${SCRATCH_PIDS[@]}"; do printf -v "$_var" ''; done
cleanup() {
    local var
    declare -F at_exit > /dev/null && at_exit
    for var in "${SCRATCH_PIDS[@]}"; do
        [ -n "${!var}" ] && kill "${!var}" 2> /dev/null
    done
    wait 2> /dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    declare -F on_fail > /dev/null && on_fail >&2
    exit 1
}

# log_tails LINES NAME...: the last LINES lines of each log $WORK/NAME.log that is not empty, every line
# marked with its log's name.
log_tails() {
    local lines=$1 log
    shift
    for log in "$@"; do
        [ -s "$WORK/$log.log" ] && sed "s/^/  $log: /" "$WORK/$log.log" | tail -n "$lines"
    done
}

# stop_process VARIABLE: ends the process whose id the variable holds (SIGTERM), waits for it and empties
# the variable.
stop_process() {
    kill "${!1}"
    wait "${!1}" 2> /dev/null
    printf -v "$1" ''
}
