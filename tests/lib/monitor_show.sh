# The show the monitor tests run: solid pictures (red, green, blue), a wide picture for a show spanning
# two 640x480 monitors side by side (orange left half, purple right half), and its settings file for one
# Monitors mode. Sourced by a script that defines WORK and fail; the program is copied in as MyShow.scr.

RED=230,30,30 GREEN=30,200,60 BLUE=40,60,220 ORANGE=240,150,20 PURPLE=130,40,160

# make_monitor_show PROGRAM
make_monitor_show() {
    local name colour
    for name in red:$RED green:$GREEN blue:$BLUE; do
        colour=${name#*:}
        convert -size 320x240 "xc:rgb($colour)" -type TrueColor BMP3:"$WORK/${name%%:*}.bmp" ||
            fail "cannot make ${name%%:*}.bmp"
    done
    convert -size 640x480 "xc:rgb($ORANGE)" -size 640x480 "xc:rgb($PURPLE)" +append -type TrueColor \
        BMP3:"$WORK/wide.bmp" || fail "cannot make the wide picture"
    cp "$1" "$WORK/MyShow.scr"
    mkdir -p "$WORK/system"
    chmod -R a+rX "$WORK"
}

# monitor_settings MODE PICTURE...: pictures in list order, stretched, no music, one picture a minute, and
# only the cut, so that a picture is there as soon as it is chosen.
monitor_settings() {
    local mode=$1 p n
    shift
    {
        echo "[Pictures]"
        for p in "$@"; do echo "$WORK/$p.bmp=1"; done
        printf '[Set]\nStetchImage=1\nRandomImage=0\nImageInterval=60\nEffectSpeed=1\nPlayMusic=0\nMonitors=%s\n' \
            "$mode"
        echo "[Transitions]"
        for n in $(seq 1 127); do echo "$((n * 3))=0"; done
    } > "$WORK/MyShow.002"
    chmod a+r "$WORK/MyShow.002"
}
