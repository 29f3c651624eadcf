#!/bin/bash
# The Debian package end to end:
#   package_test.sh BUILD_DIR
# 1. makes the package (target "deb": CPack into BUILD_DIR/package/) and checks its control fields;
# 2. lintian with no errors, the desktop entry and the AppStream metadata validated;
# 3. unpacks it into a temporary root (dpkg -x) and, from the installed files only, with a fresh HOME:
#    --version, --info (which writes nothing), the builder's first start on an X server (the demo show
#    copied into the person's working folder, nothing written into the root) and the full-screen show of
#    that working show, whose pictures must reach the screen;
# 4. runs the installer end-to-end tests against the unpacked builder's compiler and screen saver;
# 5. where the machine allows (root, the package not installed already), installs it for real with
#    dpkg -i, starts the menu entry's command, checks with dpkg --verify that nothing under /usr changed,
#    and removes it with dpkg --purge, checking that nothing of it is left. The package never stays
#    installed: the clean-up purges it whatever happened.
set -u
BUILD=$(cd "$1" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d /tmp/vorlin_package.XXXXXX)
chmod 755 "$WORK"
ROOT=$WORK/root
XVFB_PID= APP_PID= INSTALLED=0

cleanup() {
    for pid in $APP_PID $XVFB_PID; do
        kill "$pid" 2> /dev/null
    done
    wait 2> /dev/null
    if [ "$INSTALLED" = 1 ]; then
        dpkg_locked --purge vorlinsaver > /dev/null || echo "WARNING: could not purge vorlinsaver" >&2
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }

# dpkg waits for no lock of its own: other package runs on the machine are waited for (up to 15 minutes).
dpkg_locked() {
    local out status
    for _ in $(seq 180); do
        out=$(dpkg "$@" 2>&1)
        status=$?
        case $out in
            *"dpkg frontend lock"* | *"dpkg status database is locked"*) sleep 5 ;;
            *) echo "$out"; return $status ;;
        esac
    done
    echo "$out"
    return 1
}

# RUN: the command prefix that starts an installed program with nothing of this build's environment, only
# the HOME $1, the PATH $2 and the X server. (A prefix, not a function: a function started in the
# background is a subshell, and its PID is not the program's.)
use_env() {
    RUN=(env -i HOME="$1" PATH="$2" DISPLAY="${DISPLAY:-}" SDL_AUDIODRIVER=dummy LANG=C.UTF-8)
}

# Waits up to 30 s for the builder's window on the X server; the program's PID is APP_PID.
wait_for_builder() {
    for _ in $(seq 150); do
        xdotool search --name '^2Vorlin Screen Saver Builder$' > /dev/null 2>&1 && return 0
        kill -0 "$APP_PID" 2> /dev/null || return 1
        sleep 0.2
    done
    return 1
}

stop_app() {
    kill "$APP_PID" 2> /dev/null
    wait "$APP_PID" 2> /dev/null
    APP_PID=
}

# The working folder a first start made in HOME $1 for the program folder $2: the demo show, the compiler
# links and the MPEG audio library.
check_first_start() {
    local work=$1/.local/share/vorlinsaver/builder demo=$3
    cmp -s "$work/VorlinSaver.002" "$demo/VorlinSaver.002" || fail "no demo show in $work"
    for f in "$demo"/*; do
        case $f in *.002) continue ;; esac
        cmp -s "$f" "$work/sample/${f##*/}" || fail "the demo file ${f##*/} was not copied to $work/sample"
    done
    for p in vorlinbuild vorlin-install; do
        [ "$(readlink "$work/Compile/$p")" = "$2/Compile/$p" ] || fail "Compile/$p does not link to $2"
    done
    cmp -s "$1/.local/share/vorlinsaver/system/libmpegdll.so" "$2/libmpegdll.so" ||
        fail "the MPEG audio library is not in the system folder"
}

# -- 1. the package
step "making the package"
cmake --build "$BUILD" --target deb > "$WORK/deb.log" 2>&1 || fail "$(cat "$WORK/deb.log")"
debs=("$BUILD"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "not exactly one package: ${debs[*]}"
DEB=${debs[0]}
echo "$DEB ($(du -k "$DEB" | cut -f1) KiB)"
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = vorlinsaver ] || fail "package name $(field Package)"
[ "$(field Section)" = graphics ] || fail "section $(field Section)"
depends=$(field Depends)
echo "Depends: $depends"
for d in libc6 libqt6widgets6 libqt6gui6 libmpg123-0 libsndfile1 libsdl2 libfluidsynth makeself patchelf sf2-soundfont-gm; do
    case $depends in *"$d"*) ;; *) fail "Depends lacks $d" ;; esac
done
case $(field Maintainer) in *'<'*@*'>') ;; *) fail "maintainer $(field Maintainer)" ;; esac

# -- 2. lintian, desktop entry, AppStream
step "lintian"
lintian --fail-on error "$DEB" > "$WORK/lintian.log" 2>&1
lintian_status=$?
cat "$WORK/lintian.log"
[ $lintian_status -eq 0 ] || fail "lintian reports errors"

mkdir -p "$ROOT"
dpkg-deb -x "$DEB" "$ROOT" || fail "dpkg -x failed"
PROG=$ROOT/usr/lib/vorlinsaver
DATA=$ROOT/usr/share/vorlinsaver
step "desktop entry and AppStream metadata"
desktop-file-validate "$ROOT"/usr/share/applications/net.mirtavo.vorlinsaver.desktop || fail "desktop entry"
# Clean even for the pedantic checks: any note would be counted after "successful".
appstream=$(appstreamcli validate --no-net --pedantic "$ROOT"/usr/share/metainfo/net.mirtavo.vorlinsaver.metainfo.xml)
echo "$appstream"
echo "$appstream" | grep -q 'Validation was successful\.$' || fail "AppStream metadata"

# -- 3. the unpacked root
step "layout"
for f in usr/bin/vorlinsaver usr/lib/vorlinsaver/VorlinSaver usr/lib/vorlinsaver/Compile/vorlinbuild \
    usr/lib/vorlinsaver/Compile/vorlin-install usr/lib/vorlinsaver/libmpegdll.so \
    usr/lib/vorlinsaver/installed.ini usr/share/vorlinsaver/demo/VorlinSaver.002 \
    usr/share/icons/hicolor/scalable/apps/net.mirtavo.vorlinsaver.svg usr/share/doc/vorlinsaver/copyright; do
    [ -f "$ROOT/$f" ] || fail "$f is not in the package"
done
for size in 48 256; do
    png=$ROOT/usr/share/icons/hicolor/${size}x$size/apps/net.mirtavo.vorlinsaver.png
    [ "$(identify -format %wx%h "$png" 2> /dev/null)" = "${size}x$size" ] || fail "icon $png is not ${size}x$size"
done
outside=$(cd "$ROOT" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "files outside /usr: $outside"
# Every link stays inside the package (relative, and its target is there).
while IFS= read -r link; do
    target=$(readlink "$link")
    case $target in /*) fail "absolute link $link -> $target" ;; esac
    [ -e "$link" ] || fail "dangling link $link -> $target"
done < <(find "$ROOT" -type l)
for f in "$PROG"/VorlinSaver "$PROG"/Compile/* "$PROG"/libmpegdll.so; do
    file -L "$f" | grep -q 'not stripped' && fail "$f is not stripped"
done

step "--version and --info from the unpacked root"
touch "$WORK/stamp"
sleep 1
HOME1=$WORK/home1
mkdir -p "$HOME1"
PATH1=$ROOT/usr/bin:/usr/bin:/bin
use_env "$HOME1" "$PATH1"
version=$("${RUN[@]}" vorlinsaver --version) || fail "--version failed: $version"
[ "$version" = "VorlinSaver $(field Version)" ] || fail "--version says '$version', the package $(field Version)"
info=$("${RUN[@]}" vorlinsaver --info) || fail "--info failed: $info"
for want in "\"programFolder\":\"$PROG/\"" \
    "\"installationFolder\":\"$HOME1/.local/share/vorlinsaver/builder/\"" \
    "\"settingsFile\":\"$HOME1/.local/share/vorlinsaver/builder/VorlinSaver.002\""; do
    case $info in *"$want"*) ;; *) fail "--info lacks $want: $info" ;; esac
done
[ -z "$(ls -A "$HOME1")" ] || fail "--info wrote into HOME: $(find "$HOME1")"

step "first start of the builder on an X server"
. "$HERE/../lib/x_session.sh"
start_xvfb
use_env "$HOME1" "$PATH1"
"${RUN[@]}" vorlinsaver > "$WORK/builder.log" 2>&1 &
APP_PID=$!
wait_for_builder || fail "no builder window: $(cat "$WORK/builder.log")"
stop_app
check_first_start "$HOME1" "$PROG" "$DATA/demo"
# The builder now reads the demo show: its five pictures, from the working folder's sample/.
pictures=$("${RUN[@]}" vorlinsaver --info | grep -o "\"$HOME1/.local/share/vorlinsaver/builder/sample/demo[0-9].jpg\"" | wc -l)
[ "$pictures" -eq 5 ] || fail "the working show has $pictures of the five demo pictures"
changed=$(find "$ROOT" -newer "$WORK/stamp")
[ -z "$changed" ] || fail "written into the installed files: $changed"

step "the demo show full screen"
# The show stretches every picture over the screen: one of the demo pictures must be on it, whole.
for p in "$DATA"/demo/*.jpg; do
    convert "$p" -resize '1280x1024!' -resize 160x128 "$WORK/want-${p##*/}.png"
done
"${RUN[@]}" vorlinsaver /s > "$WORK/show.log" 2>&1 &
APP_PID=$!
shown=
for _ in $(seq 40); do
    sleep 0.5
    kill -0 "$APP_PID" 2> /dev/null || fail "the show ended: $(cat "$WORK/show.log")"
    import -window root "$WORK/shot.png" 2> /dev/null || continue
    convert "$WORK/shot.png" -resize 160x128 "$WORK/shot-small.png"
    for want in "$WORK"/want-*.png; do
        # compare prints the normalised root-mean-square difference in parentheses.
        rmse=$(compare -metric RMSE "$WORK/shot-small.png" "$want" null: 2>&1 | sed -n 's/.*(\(.*\)).*/\1/p')
        if [ -n "$rmse" ] && awk -v e="$rmse" 'BEGIN { exit !(e < 0.05) }'; then
            shown=${want##*/want-}
            break 2
        fi
    done
done
stop_app
[ -n "$shown" ] || fail "no demo picture reached the screen"
left=$(xdotool search --name '.' 2> /dev/null | while read -r w; do xdotool getwindowname "$w"; done | grep -v '^Qt ')
[ -z "$left" ] || fail "windows left on the screen after the program ended: $left"
echo "shown: ${shown%.png}"
changed=$(find "$ROOT" -newer "$WORK/stamp")
[ -z "$changed" ] || fail "written into the installed files: $changed"

# -- 4. the installer end to end with the unpacked builder's compiler and screen saver
step "installer end to end with the installed compiler"
for t in install_e2e_test installed_saver_test; do
    exe=$BUILD/tests/e2e_install/$t
    [ -x "$exe" ] || fail "$exe is not built"
    # These tests drive the saver's windows on this script's X server: the test command's offscreen
    # platform must not reach the programs they start.
    VORLIN_TEST_INSTALLED=$PROG SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb timeout 600 "$exe" > "$WORK/$t.log" 2>&1 ||
        fail "$t against the installed files: $(tail -n 40 "$WORK/$t.log")"
    tail -n 1 "$WORK/$t.log"
done

# -- 5. a real installation
step "dpkg -i and dpkg --purge"
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: not root"
    exit 0
fi
if dpkg-query -W -f='${Status}' vorlinsaver 2> /dev/null | grep -q installed; then
    echo "skipped: a vorlinsaver package is installed on this machine already; it is left alone"
    exit 0
fi
INSTALLED=1
out=$(dpkg_locked -i "$DEB") || fail "dpkg -i: $out"
dpkg --verify vorlinsaver || fail "dpkg --verify right after the installation"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/net.mirtavo.vorlinsaver.desktop)
HOME2=$WORK/home2
mkdir -p "$HOME2"
# The menu's command, as a desktop starts it: through PATH.
use_env "$HOME2" /usr/bin:/bin
"${RUN[@]}" sh -c "exec $exec_line" > "$WORK/menu.log" 2>&1 &
APP_PID=$!
wait_for_builder || fail "no builder window from '$exec_line': $(cat "$WORK/menu.log")"
stop_app
check_first_start "$HOME2" /usr/lib/vorlinsaver /usr/share/vorlinsaver/demo
verify=$(dpkg --verify vorlinsaver)
[ -z "$verify" ] || fail "files of the package changed: $verify"
extra=$(comm -13 <(dpkg -L vorlinsaver | grep -E '^/usr/(lib|share)/vorlinsaver' | sort) \
    <(find /usr/lib/vorlinsaver /usr/share/vorlinsaver | sort))
[ -z "$extra" ] || fail "files written into the installation: $extra"
dpkg -L vorlinsaver | grep -v '^/\.$' > "$WORK/files"
out=$(dpkg_locked --purge vorlinsaver) || fail "dpkg --purge: $out"
INSTALLED=0
dpkg-query -W -f='${Status}' vorlinsaver 2> /dev/null | grep -q 'installed' && fail "still installed"
for d in /usr/lib/vorlinsaver /usr/share/vorlinsaver /usr/share/doc/vorlinsaver /usr/bin/vorlinsaver; do
    [ -e "$d" ] && fail "$d is left after the removal"
done
while IFS= read -r f; do
    [ -f "$f" ] || [ -L "$f" ] && fail "$f is left after the removal"
done < "$WORK/files"
echo "installed, started from the menu's command, verified and purged"
