# one_picture_show [SET_LINE...]: makes $WORK/MyShow.scr (a copy of $PROGRAM) and its settings file: one
# 400x300 picture of the colour rgb($R,$G,$B), a minute's interval, no music, and the [Set] lines given.
# With PICTURE set, that file (made by the caller) is the one picture instead.
# The caller defines WORK, PROGRAM, R, G, B and fail.
one_picture_show() {
    local picture=${PICTURE:-$WORK/pic.bmp}
    if [ -z "${PICTURE:-}" ]; then
        convert -size 400x300 "xc:rgb($R,$G,$B)" -type TrueColor BMP3:"$picture" || fail "cannot make the picture"
    fi
    cp "$PROGRAM" "$WORK/MyShow.scr"
    {
        printf '[Pictures]\n%s=1\n[Set]\nImageInterval=60\nPlayMusic=0\n' "$picture"
        printf '%s\n' "$@"
    } > "$WORK/MyShow.002"
}
