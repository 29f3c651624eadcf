#!/bin/bash
# A built show run full screen on an X server of its own while things go wrong around it.
#   show_under_faults.sh PROGRAM DATA_DIR MODE [HOST_WINDOW_HELPER]
# MODE: files    pictures deleted or overwritten with corrupt data and a music track removed while the show
#                runs: transitions go on, a key still ends the show with status 0
#       nosound  no audio output can be opened (an unknown SDL driver, then the disk driver writing into a
#                missing folder): the show goes on silently and ends with status 0
#       preview  /p <window> of a host window that goes away while the preview runs, at moments from
#                before its first frame to mid-show, and of a window that is gone before the start: the
#                process ends by itself within 10 s with status 0 (needs HOST_WINDOW_HELPER)
#       soak     VORLIN_SOAK_SECONDS (default 120) of a show of 300 pictures of every format up to
#                4000x3000 and some 6000x4000 photos (10 % corrupt or cut), music looping, interval 1
#                and speed 1: prints the
#                figures; fails on a crash, a stall (a pause between two transitions longer than the
#                interval plus the slowest load plus 1 s, or no transition for 12 s), or resident memory
#                growing by 5 % or more after the first minute. Growth is read from the median of the
#                resident sizes sampled each second over 20 s, not from the peak or the lowest sample: the
#                peak is one moment of a large decode meeting a transition, and by timing alone it differs
#                by several megabytes between two decodes of the same file; a leak raises the median.
#                VORLIN_SOAK_MEMORY=unjudged (set for sanitizer builds) leaves memory growth unjudged.
# The show prints one line per finished transition (VORLIN_TRACE=1); this script counts them.
set -u
PROGRAM=$1
DATA=$2
MODE=$3
HOST_HELPER=${4:-}

WORK=$(mktemp -d /tmp/vorlin_faults.XXXXXX)
XVFB_PID= SHOW_PID= HOST_PID=
cleanup() {
    for pid in $SHOW_PID $HOST_PID $XVFB_PID; do kill "$pid" 2> /dev/null; done
    wait 2> /dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$WORK/show.log" ] && tail -n 20 "$WORK/show.log" | grep -v '^vorlin-trace' >&2
    exit 1
}

export VORLIN_REGISTRY=$WORK/registry.ini VORLIN_SYSTEM_DIR=$WORK/system VORLIN_TRACE=1
export SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM XSCREENSAVER_WINDOW
cp "$PROGRAM" "$WORK/MyShow.scr"
mkdir -p "$WORK/pics" "$WORK/music"

. "$(dirname "$0")/../lib/x_session.sh"

# Settings file: every file in pics/ and music/ (sorted), then the [Set] lines given.
write_settings() {
    {
        echo "[Pictures]"
        for f in "$WORK"/pics/*; do echo "$f=1"; done
        echo "[Music]"
        for f in "$WORK"/music/*; do echo "$f=1"; done
        echo "[Set]"
        printf '%s\n' "$@"
    } > "$WORK/MyShow.002"
}

transitions() {
    local n
    n=$(grep -c '^vorlin-trace: transition' "$WORK/show.log" 2> /dev/null)
    echo "${n:-0}"
}

start_show() {
    : > "$WORK/show.log"
    "$WORK/MyShow.scr" /s > /dev/null 2>> "$WORK/show.log" &
    SHOW_PID=$!
}

# Waits up to $2 seconds for at least $1 finished transitions; the show must stay alive meanwhile.
wait_transitions() {
    local deadline=$((SECONDS + $2))
    while [ "$(transitions)" -lt "$1" ]; do
        kill -0 "$SHOW_PID" 2> /dev/null || fail "the show ended after $(transitions) transitions"
        [ $SECONDS -ge $deadline ] && fail "only $(transitions) of $1 transitions within $2 s"
        sleep 0.2
    done
}

# A key ends the show; it must end within 15 s with status 0.
end_show() {
    local deadline=$((SECONDS + 15)) tick=0
    while kill -0 "$SHOW_PID" 2> /dev/null; do
        [ $SECONDS -ge $deadline ] && fail "a key did not end the show"
        # Pressed again every 2 s in case the show's window was not yet taking keys.
        [ $((tick % 20)) = 0 ] && xdotool key a
        tick=$((tick + 1))
        sleep 0.1
    done
    wait "$SHOW_PID"
    local status=$?
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status"
}

small_pictures() {
    local i=0
    for fmt in bmp jpg png gif webp ico bmp jpg; do
        i=$((i + 1))
        convert -size 200x150 "gradient:rgb($((i * 30)),40,90)-rgb(20,$((i * 25)),200)" "$WORK/pics/p$i.$fmt" ||
            fail "cannot make p$i.$fmt"
    done
    cp "$DATA/metafiles/drawing-paths.emf" "$DATA/metafiles/drawing-text.wmf" "$WORK/pics/"
}

music_tracks() {
    cp "$DATA/music/tone_half_44k_stereo.wav" "$WORK/music/t1.wav"
    cp "$DATA/music/scale.mid" "$WORK/music/t2.mid"
    cp "$DATA/music/tone_half_11k_mono.wav" "$WORK/music/t3.wav"
    cp "$DATA/music/tone_half_44k_stereo.wav" "$WORK/music/t4.wav"
}

case $MODE in
files)
    small_pictures
    music_tracks
    write_settings ImageInterval=1 EffectSpeed=1 PlayMusic=1 LoopMusic=1 RandomImage=0
    start_xvfb
    xdotool mousemove 1 1
    start_show
    wait_transitions 4 40
    # Two pictures go, two become garbage, one is cut in half, a music track goes.
    rm -f "$WORK/pics/p2.jpg" "$WORK/pics/p5.webp" "$WORK/music/t3.wav"
    head -c 300 /dev/urandom > "$WORK/pics/p1.bmp"
    echo "not a picture" > "$WORK/pics/p3.png"
    size=$(stat -c %s "$WORK/pics/p7.bmp")
    truncate -s $((size / 2)) "$WORK/pics/p7.bmp"
    before=$(transitions)
    # More than a full round of the list after the damage.
    wait_transitions $((before + 12)) 60
    grep -q "transition $WORK/pics/p4.gif" <(tail -n +"$before" "$WORK/show.log") ||
        fail "an intact picture was not shown again after the damage"
    echo "files: $before transitions before the damage, $(transitions) in all"
    end_show
    ;;
nosound)
    small_pictures
    music_tracks
    write_settings ImageInterval=1 EffectSpeed=1 PlayMusic=1 LoopMusic=1
    start_xvfb
    xdotool mousemove 1 1
    for driver in nosuchdriver disk; do
        export SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE=$WORK/no/such/folder/out.raw
        start_show
        wait_transitions 6 40
        echo "nosound ($driver): $(transitions) transitions"
        end_show
    done
    ;;
preview)
    small_pictures
    write_settings ImageInterval=1 EffectSpeed=1 PlayMusic=0
    start_xvfb
    for delay in 0 0.3 1 2.5 4; do
        start_host 320 240 100 100
        : > "$WORK/show.log"
        "$WORK/MyShow.scr" /p "$HOST" > /dev/null 2>> "$WORK/show.log" &
        SHOW_PID=$!
        sleep "$delay"
        stop_host
        wait_end "$SHOW_PID" 10 || fail "the preview outlived its host by 10 s (host gone after $delay s)"
        SHOW_PID=
        [ "$status" = 0 ] || fail "exit status $status when the host went after $delay s"
        echo "preview: host gone after $delay s, $(transitions) transitions, ended with 0"
    done
    # A window id that no longer names a window.
    start_host 320 240 100 100
    stop_host
    "$WORK/MyShow.scr" /p "$(head -n1 "$WORK/host.id")" > /dev/null 2>> "$WORK/show.log" &
    SHOW_PID=$!
    wait_end "$SHOW_PID" 10 || fail "a preview for a window that is gone did not end"
    SHOW_PID=
    [ "$status" = 0 ] || fail "exit status $status for a window that is gone"
    ;;
soak)
    seconds=${VORLIN_SOAK_SECONDS:-120}
    sizes=(4000x3000 1920x1080 1024x768 640x480 3000x2000)
    formats=(jpg png bmp gif webp jpg)
    for s in "${sizes[@]}"; do
        convert -size "$s" gradient:navy-orange -swirl 90 "$WORK/base-$s.png" || fail "cannot make $s"
    done
    for i in $(seq 1 60); do
        s=${sizes[$((i % 5))]} fmt=${formats[$((i % 6))]}
        name=$(printf 'p%03d.%s' "$i" "$fmt")
        # Camera-sized GIFs take ImageMagick long to quantise: GIFs stay at screen size.
        if [ "$fmt" = gif ]; then s=1024x768; fi
        convert "$WORK/base-$s.png" -fill "rgb($((i * 4)),90,40)" -draw "rectangle 0,0 $((i * 20)),$((i * 15))" \
            "$WORK/pics/$name" || fail "cannot make $name"
    done
    cp "$DATA/metafiles/drawing-paths.emf" "$WORK/pics/p061.emf"
    convert "$WORK/base-640x480.png" -resize 256x192 "$WORK/pics/p062.ico"
    # Two 24-megapixel camera photos (plasma with noise, quality 90, about 4 MB each); with their copies
    # below about one picture in 30 is one of them. The noise is added before the enlargement: at full size
    # ImageMagick takes a minute per photo.
    for i in 63 64; do
        convert -seed $i -size 750x500 plasma:fractal -attenuate 0.5 +noise Gaussian -resize '6000x4000!' \
            -quality 90 "$WORK/pics/p0$i.jpg" || fail "cannot make the photo p0$i.jpg"
    done
    # 300 pictures: the other 236 are copies of those 64 under names of their own. Each is still read and
    # decoded from its own file; making 238 more camera-sized pictures would only cost minutes.
    made=("$WORK"/pics/*)
    photo_names="p063.jpg p064.jpg"
    for i in $(seq 65 300); do
        f=${made[$(((i - 1) % 64))]}
        copy=$(printf 'p%03d' "$i").${f##*.}
        cp "$f" "$WORK/pics/$copy"
        case ${f##*/} in p063.jpg | p064.jpg) photo_names="$photo_names $copy" ;; esac
    done
    # 10 %: every tenth picture from the 7th on, by turns cut in half and replaced by plain garbage.
    broken=0
    for i in $(seq 7 10 300); do
        f=$(ls "$WORK"/pics/$(printf 'p%03d' "$i").*) || fail "no picture $i"
        if [ $((broken % 2)) = 0 ]; then
            truncate -s $(($(stat -c %s "$f") / 2)) "$f"
        else
            head -c 4096 /dev/urandom > "$f"
        fi
        broken=$((broken + 1))
    done
    music_tracks
    write_settings ImageInterval=1 EffectSpeed=1 PlayMusic=1 LoopMusic=1 RandomImage=0 StetchImage=1
    start_xvfb
    xdotool mousemove 1 1
    start_show
    good=$(($(ls "$WORK/pics" | wc -l) - broken))
    start=$SECONDS last_count=0 last_change=$SECONDS max_gap=0 rss=0 hwm=0 hwm60=0 base_at=
    while [ $((SECONDS - start)) -lt "$seconds" ]; do
        sleep 1
        kill -0 "$SHOW_PID" 2> /dev/null || fail "the show died after $((SECONDS - start)) s"
        rss=$(awk '/^VmRSS/ {print $2}' /proc/$SHOW_PID/status)
        hwm=$(awk '/^VmHWM/ {print $2}' /proc/$SHOW_PID/status)
        count=$(transitions)
        echo "$((SECONDS - start)) $rss" >> "$WORK/rss.samples"
        # The baseline is taken once the show is a minute old and has made 30 transitions: the pictures go
        # in order and sizes and formats take turns, so by then every size and format has been through the
        # decoders and the scaler.
        if [ -z "$base_at" ]; then
            hwm60=$hwm
            [ $((SECONDS - start)) -ge 60 ] && [ "$count" -ge 30 ] && base_at=$((SECONDS - start))
        fi
        if [ "$count" != "$last_count" ]; then
            last_count=$count last_change=$SECONDS
        elif [ "$count" -gt 0 ]; then
            gap=$((SECONDS - last_change))
            [ $gap -gt $max_gap ] && max_gap=$gap
            # Interval 1 s, a 4000x3000 decode and scale on a busy machine, 1 s of slack: 12 s is a stall.
            [ $gap -gt 12 ] && fail "stall: no transition for $gap s (after $count)"
        fi
    done
    shown=$(grep '^vorlin-trace: transition' "$WORK/show.log" | sort -u | wc -l)
    # From the show's own clock: the slowest load (tick to the transition's start, broken pictures tried on
    # the way included) and the longest pause between one transition's end and the next one's start.
    slowest=$(awk '$2 == "load" && $3 > m {m = $3} END {print m + 0}' "$WORK/show.log")
    pause=$(awk '$2 == "end" {e = $3} $2 == "start" && e != "" {if ($3 - e > m) m = $3 - e; e = ""}
        END {print m + 0}' "$WORK/show.log")
    photos=0
    for name in $photo_names; do
        photos=$((photos + $(grep -c "^vorlin-trace: transition .*/$name\$" "$WORK/show.log")))
    done
    echo "soak: 24-megapixel photos shown $photos times (the peak below includes them)"
    echo "soak: ${seconds} s, $good good and $broken broken pictures; $last_count transitions, $shown different" \
        "pictures; slowest load ${slowest} ms, longest pause between transitions ${pause} ms; RSS ${rss} kB," \
        "peak ${hwm} kB (${hwm60} kB at ${base_at:-the end} s)"
    [ "$last_count" -gt 0 ] || fail "no transition at all"
    # A stall: a pause longer than the interval (1 s) plus the slowest load plus 1 s.
    [ "$pause" -le $((1000 + slowest + 1000)) ] ||
        fail "stall: ${pause} ms between two transitions, over 1 s + ${slowest} ms + 1 s"
    # The typical resident size (the median of the samples) in the 20 s after the baseline and in the
    # last 20 s.
    median_rss() {
        awk -v a="$1" -v b="$2" '$1 >= a && $1 < b {print $2}' "$WORK/rss.samples" | sort -n |
            awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)] + 0}'
    }
    now=$((SECONDS - start))
    if [ "${VORLIN_SOAK_MEMORY:-judged}" = unjudged ]; then
        # A sanitizer build keeps freed blocks in quarantine and grows its own allocator caches, so its
        # resident size keeps rising without a leak; LeakSanitizer judges leaks in that build instead.
        echo "soak: memory growth not judged in a sanitizer build (LeakSanitizer checks for leaks)"
    elif [ -n "$base_at" ] && [ $((now - 20)) -ge $((base_at + 20)) ]; then
        rss_after=$(median_rss "$base_at" $((base_at + 20)))
        rss_end=$(median_rss $((now - 20)) $((now + 1)))
        echo "soak: resident size (median of 20 s) ${rss_after} kB after ${base_at} s, ${rss_end} kB at the end"
        [ $((rss_end * 100)) -le $((rss_after * 105)) ] ||
            fail "resident memory grew from ${rss_after} kB to ${rss_end} kB after $base_at s"
    else
        echo "soak: memory growth not judged: fewer than 30 transitions, or under 40 s after the baseline"
    fi
    end_show
    ;;
*)
    fail "unknown mode $MODE"
    ;;
esac
echo PASS
