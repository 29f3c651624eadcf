# one_picture_show [SET_LINE...]: makes $WORK/MyShow.scr (a copy of $PROGRAM) and its settings file: one
# picture of the colour rgb($R,$G,$B), $PICTURE_SIZE (default 400x300) named $PICTURE_NAME.bmp (default
# pic.bmp), a minute's interval, no music, and the [Set] lines given.
# The caller defines WORK, PROGRAM, R, G, B and fail.
one_picture_show() {
    local picture="$WORK/${PICTURE_NAME:-pic}.bmp"
    convert -size "${PICTURE_SIZE:-400x300}" "xc:rgb($R,$G,$B)" -type TrueColor BMP3:"$picture" ||
        fail "cannot make the picture"
    cp "$PROGRAM" "$WORK/MyShow.scr"
    {
        printf '[Pictures]\n%s=1\n[Set]\nImageInterval=60\nPlayMusic=0\n' "$picture"
        printf '%s\n' "$@"
    } > "$WORK/MyShow.002"
}
