#!/usr/bin/env bash
# Installs the Debian packages the project, its tests and its tools need. Idempotent and quiet when
# everything is already there. Run as root (or through sudo) on Debian 12.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config clang ccache libclang-rt-14-dev
  qt6-base-dev libjpeg62-turbo-dev libjpeg-turbo-progs libgif-dev libpng-dev libwebp-dev
  libmpg123-dev libsndfile1-dev libfluidsynth-dev timgm6mb-soundfont libsdl2-dev libpixman-1-dev
  libuemf-dev libxss-dev libxcb1-dev libx11-dev libgtest-dev libbenchmark-dev
  xvfb xauth xscreensaver xdotool imagemagick makeself x11-utils
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libexiv2-dev libimage-exiftool-perl libheif-dev
  dpkg-dev file lintian appstream desktop-file-utils
  sway grim wtype qt6-wayland xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libwayland-dev wayland-protocols plasma-wayland-protocols libxrandr-dev mutter
  patchelf debootstrap
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
