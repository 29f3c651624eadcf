#!/usr/bin/env bash
# Full-screen shows of camera photos, measured from outside the process on an X server of their own.
#   bench/photo-show.sh PROGRAM [SECONDS]     (PROGRAM: a built VorlinSaver; SECONDS per show, default 120)
# Prints, per show (screen size, picture size, stretched or own size): the peak resident memory (VmHWM)
# and the loads the show traced (tick to the transition's start: mean and slowest); then the time from a
# key press to the process's end, pressed at 20 random moments of a show of 50-megapixel photos (each
# time a new show), as its distribution, beside the same for a show of 2-megapixel photos (what ending
# costs without large pictures); the key goes in through bench/key_to_end.py (python3 with ctypes). The
# machine's load average is printed with each part: on a busy machine every figure grows.
# PHOTO_SHOW_PARTS=memory or keys runs one part only. Photos (ImageMagick plasma with noise, quality 90) are
# made once into $TMPDIR/vorlin_photo_show and reused.
set -u
PROGRAM=$(readlink -f "$1")
HERE=$(dirname "$(readlink -f "$0")")
SECONDS_PER_SHOW=${2:-120}
PHOTOS=${TMPDIR:-/tmp}/vorlin_photo_show
. "$HERE/../tests/lib/scratch.sh" photo_bench SHOW_PID XVFB_PID
. "$HERE/../tests/lib/x_session.sh"
export VORLIN_REGISTRY=$WORK/registry.ini VORLIN_SYSTEM_DIR=$WORK/system VORLIN_TRACE=1 SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM XSCREENSAVER_WINDOW

# photo NAME WxH: four different photos of that size.
photos() {
    mkdir -p "$PHOTOS"
    local seed=$(( ${2%x*} / 8 ))x$(( ${2#*x} / 8 ))
    for i in 1 2 3 4; do
        local f="$PHOTOS/$1-$i.jpg"
        [ -f "$f" ] && continue
        convert -seed "$i" -size "$seed" plasma:fractal -resize "$2!" -attenuate 0.3 +noise Gaussian \
            -quality 90 "$f.part.jpg" && mv "$f.part.jpg" "$f" || fail "cannot make $f"
    done
}

# start_screen WxH: an Xvfb of that size in place of the one before.
start_screen() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2> /dev/null && wait "$XVFB_PID" 2> /dev/null
    open_display XVFB_PID "$WORK/xvfb.log" Xvfb -displayfd 5 -screen 0 "${1}x24" -br -ac -noreset -nolisten tcp ||
        fail "Xvfb did not start"
    for _ in $(seq 50); do xdotool getdisplaygeometry > /dev/null 2>&1 && return 0; sleep 0.1; done
    fail "Xvfb did not start"
}

# show NAME STRETCH: a show of the four photos NAME-*.jpg, interval 1, speed 1.
start_show() {
    rm -f "$WORK"/MyShow.*
    cp "$PROGRAM" "$WORK/MyShow.scr"
    {
        echo "[Pictures]"
        for f in "$PHOTOS/$1"-*.jpg; do echo "$f=1"; done
        echo "[Set]"
        echo "ImageInterval=1"
        echo "EffectSpeed=1"
        echo "StetchImage=$2"
    } > "$WORK/MyShow.002"
    : > "$WORK/show.log"
    "$WORK/MyShow.scr" /s > /dev/null 2>> "$WORK/show.log" &
    SHOW_PID=$!
}

end_show() {
    kill "$SHOW_PID" 2> /dev/null
    wait "$SHOW_PID" 2> /dev/null
    SHOW_PID=
}

# measure SCREEN NAME STRETCH
measure() {
    start_screen "$1"
    start_show "$2" "$3"
    local hwm=0 end=$((SECONDS + SECONDS_PER_SHOW))
    while [ $SECONDS -lt $end ]; do
        sleep 1
        kill -0 "$SHOW_PID" 2> /dev/null || fail "the show of $2 ended"
        hwm=$(awk '/^VmHWM/ {print $2}' /proc/$SHOW_PID/status)
    done
    end_show
    awk -v screen="$1" -v name="$2" -v stretch="$3" -v hwm="$hwm" '
        $2 == "load" {n++; sum += $3; if ($3 > max) max = $3}
        END {printf "show %s %-14s %-9s peak %4d MB, %3d loads, mean %4d ms, slowest %4d ms\n", screen, name,
             stretch == 1 ? "stretched" : "own size", hwm / 1024, n, n ? sum / n : 0, max}' "$WORK/show.log"
}

photos photo24mp 6000x4000
photos photo2mp 1920x1080
photos photo50mp 8660x5773
PARTS=${PHOTO_SHOW_PARTS:-memory keys}
if [[ $PARTS == *memory* ]]; then
    for stretch in 1 0; do
        measure 1920x1080 photo24mp $stretch
        measure 3840x2160 photo24mp $stretch
        measure 1920x1080 photo2mp $stretch
    done
    echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
fi
[[ $PARTS == *keys* ]] || exit 0

# Key press to the process's end, at 20 random moments of a show (the press and the wait by key_to_end.py).
start_screen 1920x1080
for name in photo50mp photo2mp; do
    times=()
    for i in $(seq 1 20); do
        start_show $name 1
        xdotool mousemove 1 1
        # A moment in the show's first 6 s (first load, transitions, loads ahead).
        sleep "$(awk -v r=$RANDOM 'BEGIN {printf "%.2f", 1.5 + r / 32768 * 4.5}')"
        took=$(python3 "$HERE/key_to_end.py" "$SHOW_PID")
        [ "$took" = timeout ] && echo "press $i: the show did not end within 10 s" && took=10000
        kill "$SHOW_PID" 2> /dev/null
        wait "$SHOW_PID" 2> /dev/null
        SHOW_PID=
        times+=("$took")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk -v name=$name '{a[NR] = $1} END {printf "key to end, %s (ms, 20 presses): min %d, median %d, 90%% %d, max %d\n", name, a[1], a[int((NR + 1) / 2)], a[int(NR * 0.9)], a[NR]}'
    echo "all (ms): ${times[*]}"
    echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
done
