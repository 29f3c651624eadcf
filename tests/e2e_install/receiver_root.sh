#!/usr/bin/env bash
# Prints the path of a minimal Debian 12 (debootstrap --variant=minbase) holding only the libraries a built
# screen saver leaves to the machine it runs on: X client libraries, OpenGL/EGL, DRM/GBM, the Wayland
# client, fontconfig/FreeType, ALSA/PulseAudio clients and D-Bus. Nothing of Qt, SDL, FluidSynth, libUEMF,
# giflib, libwebp or pixman. Made once from the package registry this machine uses and kept under
# $VORLIN_RECEIVER_CACHE (default /var/cache/vorlinsaver); a changed package list makes a new one.
#   receiver_root.sh             the root's path on the last line of output
#   receiver_root.sh --x-packages  the packages of the X client libraries (one line)
# Exit 77 when debootstrap cannot run here (not installed, or not run as root); 1 when it fails.
set -euo pipefail

X_PACKAGES=(libx11-6 libx11-xcb1 libxext6 libxrender1 libxss1 libsm6 libice6 libxcursor1 libxfixes3 libxi6
  libxrandr2 libxcb1 libxcb-glx0 libxcb-randr0 libxcb-render0 libxcb-shape0 libxcb-shm0 libxcb-sync1
  libxcb-xfixes0 libxcb-xkb1)
OTHER_PACKAGES=(libgl1 libegl1 libglx0 libopengl0 libgbm1 libdrm2 libwayland-egl1 libwayland-client0
  libfontconfig1 libfreetype6 libasound2 libpulse0 libdbus-1-3)

if [ "${1:-}" = --x-packages ]; then
  echo "${X_PACKAGES[*]}"
  exit 0
fi

CACHE=${VORLIN_RECEIVER_CACHE:-/var/cache/vorlinsaver}
key=$(printf '%s\n' minbase-bookworm-1 "${X_PACKAGES[@]}" "${OTHER_PACKAGES[@]}" | sha256sum | cut -c1-12)
ROOT=$CACHE/receiver-$key
if [ -f "$ROOT/.complete" ]; then
  echo "$ROOT"
  exit 0
fi
if ! command -v debootstrap > /dev/null && [ ! -x /usr/sbin/debootstrap ]; then
  echo "SKIPPED: debootstrap is not installed here (Debian package debootstrap)"
  exit 77
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: making a Debian root with debootstrap needs root"
  exit 77
fi
PATH=$PATH:/usr/sbin:/sbin
mkdir -p "$CACHE"
exec 9> "$CACHE/.receiver.lock"
flock 9
if [ -f "$ROOT/.complete" ]; then # made by another run meanwhile
  echo "$ROOT"
  exit 0
fi
# The machine's own Debian registry.
mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2> /dev/null || true)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 ~ /^bookworm$/ {print $2; exit}' /etc/apt/sources.list 2> /dev/null || true)
[ -n "$mirror" ] || mirror=http://deb.debian.org/debian
making=$(mktemp -d "$CACHE/.making.XXXXXX")
trap 'rm -rf "$making"' EXIT
includes=$(IFS=,; echo "${X_PACKAGES[*]},${OTHER_PACKAGES[*]}")
echo "Making the receiver's root (debootstrap from $mirror, about a minute) ..."
if ! debootstrap --variant=minbase --include="$includes" bookworm "$making" "$mirror" > "$making.log" 2>&1; then
  tail -n 20 "$making.log"
  echo "debootstrap failed (log above)"
  rm -f "$making.log"
  exit 1
fi
rm -f "$making.log"
# What the runtime must carry may not be there: a package pulling one of them in is a fault of the list.
if chroot "$making" dpkg-query -W -f '${Package}\n' | grep -E 'qt6|libqt|sdl2|fluidsynth|uemf|libgif|libwebp|pixman'; then
  echo "the receiver's root holds libraries the runtime must carry (listed above)"
  exit 1
fi
rm -rf "$making/var/cache/apt/archives/"*.deb
touch "$making/.complete"
mv "$making" "$ROOT"
trap - EXIT
echo "$ROOT"
