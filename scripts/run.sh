#!/usr/bin/env bash
# The run command: installs what is needed, builds, stages a runnable installation folder
# (build/stage: the program VorlinSaver, its copy VorlinSaver.scr and the data files), records that
# folder as the installation folder in the per-user registry store, and starts the program.
# Arguments are passed on to the program (e.g. /s for the full-screen show).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/configure.sh
cmake --build build -j "$(nproc)" --target stage
stage=$PWD/build/stage
# The MPEG audio library lives in the system folder too, where built installers take it from.
sys=${VORLIN_SYSTEM_DIR:-${XDG_DATA_HOME:-$HOME/.local/share}/vorlinsaver/system}
mkdir -p "$sys"
[ -f "$stage/libmpegdll.so" ] && cp -f "$stage/libmpegdll.so" "$sys/"
"$stage/vorlin-registry" set 'Software\Mirtavo\VorlinSaver' '' "$stage"
echo "Installation folder: $stage"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: rendering the demo show into an animation instead (set DISPLAY to open the builder)."
  if [ -x "$stage/vorlin-demo-render" ]; then
    exec "$stage/vorlin-demo-render"
  fi
  exec "$stage/VorlinSaver" --info "$@"
fi
exec "$stage/VorlinSaver" "$@"
