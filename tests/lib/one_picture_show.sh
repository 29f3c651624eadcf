# one_picture_show [SET_LINE...]: makes $WORK/MyShow.scr (a copy of $PROGRAM) and its settings file: one
# 400x300 picture of the colour rgb($R,$G,$B), a minute's interval, no music, and the [Set] lines given.
# The caller defines WORK, PROGRAM, R, G, B and fail.
one_picture_show() {
    convert -size 400x300 "xc:rgb($R,$G,$B)" -type TrueColor BMP3:"$WORK/pic.bmp" || fail "cannot make the picture"
    cp "$PROGRAM" "$WORK/MyShow.scr"
    {
        printf '[Pictures]\n%s=1\n[Set]\nImageInterval=60\nPlayMusic=0\n' "$WORK/pic.bmp"
        printf '%s\n' "$@"
    } > "$WORK/MyShow.002"
}
