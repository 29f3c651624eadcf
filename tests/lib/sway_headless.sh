# Shell helpers for tests that run the show on a headless sway compositor. Sourced by a script that defines
# WORK (its scratch folder, readable by others) and fail (reports and exits). sway refuses to run as root,
# so the compositor and every client run as a user made here (SWAY_USER: a user of its own, since another
# test ends every process of its daemon's user); setpriv keeps their process ids in $! (runuser forks).
# Sets SWAY_PID for the caller's clean-up.

. "$(dirname "${BASH_SOURCE[0]}")/pixel.sh"

SWAY_USER=${SWAY_USER:-vorlin-sway}

# Makes the user when it is missing; returns 77 (skip) when that is not possible (not root).
ensure_sway_user() {
    id "$SWAY_USER" > /dev/null 2>&1 && return 0
    [ "$(id -u)" -eq 0 ] || return 77
    useradd -m "$SWAY_USER" || return 77
}

# Runs a command as SWAY_USER in the compositor's session.
as_sway_user() {
    setpriv --reuid="$SWAY_USER" --regid="$SWAY_USER" --init-groups \
        env -i HOME="$(getent passwd "$SWAY_USER" | cut -d: -f6)" PATH=/usr/bin:/bin \
        XDG_RUNTIME_DIR="$WORK/run" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" SWAYSOCK="$SWAYSOCK" \
        QT_QPA_PLATFORM=wayland SDL_AUDIODRIVER=dummy VORLIN_REGISTRY="$WORK/registry.ini" \
        VORLIN_SYSTEM_DIR="$WORK/system" ${SWAY_CLIENT_ENV:-} "$@"
}

# Starts sway headless with $1 outputs, laid out by the config lines in $2 (output placement), and waits
# for its Wayland socket and its IPC socket.
start_sway() {
    mkdir -p "$WORK/run"
    chown "$SWAY_USER" "$WORK/run"
    chmod 700 "$WORK/run"
    printf '%s\ndefault_border none\nfocus_follows_mouse no\n' "$2" > "$WORK/sway.conf"
    chmod 644 "$WORK/sway.conf"
    setpriv --reuid="$SWAY_USER" --regid="$SWAY_USER" --init-groups \
        env -i HOME="$(getent passwd "$SWAY_USER" | cut -d: -f6)" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$WORK/run" \
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS="$1" WLR_RENDERER=pixman \
        sway -c "$WORK/sway.conf" > "$WORK/sway.log" 2>&1 &
    SWAY_PID=$!
    for _ in $(seq 100); do
        WAYLAND_DISPLAY=$(cd "$WORK/run" && ls wayland-? 2> /dev/null | head -n1)
        SWAYSOCK=$(ls "$WORK"/run/sway-ipc.*.sock 2> /dev/null | head -n1)
        [ -n "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] && break
        kill -0 "$SWAY_PID" 2> /dev/null || break
        sleep 0.1
    done
    [ -n "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] || fail "sway did not start: $(tail -5 "$WORK/sway.log")"
    export WAYLAND_DISPLAY SWAYSOCK
    for _ in $(seq 50); do
        as_sway_user swaymsg -t get_outputs > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "sway does not answer"
}

# "r,g,b" of output $1's pixel at x,y ($2,$3), from a screenshot.
output_pixel() {
    as_sway_user grim -o "$1" - > "$WORK/shot-$1.png" 2> /dev/null || return 1
    png_pixel "$WORK/shot-$1.png" "$2" "$3"
}

# How many windows sway shows (views in its tree).
sway_windows() {
    as_sway_user swaymsg -t get_tree -r | grep -c '"pid":'
}

# Keeps a virtual keyboard on the seat (a desktop's keyboard is always there). Without one the seat has no
# keyboard until wtype makes its own, and a client binds that keyboard too late to see the first press.
# Sets KEYBOARD_PID for the caller's clean-up.
hold_keyboard() {
    setpriv --reuid="$SWAY_USER" --regid="$SWAY_USER" --init-groups \
        env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$WORK/run" WAYLAND_DISPLAY="$WAYLAND_DISPLAY" \
        wtype -s 3600000 > /dev/null 2>&1 &
    KEYBOARD_PID=$!
    for _ in $(seq 30); do
        as_sway_user swaymsg -t get_seats -r | grep -q '"capabilities": [1-9]' && return 0
        sleep 0.1
    done
}
