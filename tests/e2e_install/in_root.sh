#!/usr/bin/env bash
# Runs a command inside a throwaway view of a Debian root: an overlay whose changes go to CHANGES (kept
# between calls, so one test can install in one call and look in the next), with /proc, /dev and the
# host's X socket folder, in a mount namespace of its own, so nothing stays mounted when it ends.
#   in_root.sh ROOT CHANGES [--user UID] COMMAND...
# The command runs through `env -i` with a plain PATH; pass variables as NAME=value words before it.
set -euo pipefail
if [ "${VORLIN_IN_ROOT_NS:-}" != 1 ]; then
  mkdir -p "$2" "$2.work" "$2.view"
  VORLIN_IN_ROOT_NS=1 exec unshare --mount --propagation private -- "$0" "$@"
fi
root=$1 changes=$2
shift 2
user=()
if [ "${1:-}" = --user ]; then
  user=(--userspec="$2:$2")
  shift 2
fi
view=$changes.view
mount -t overlay overlay -o "lowerdir=$root,upperdir=$changes,workdir=$changes.work" "$view"
mount -t proc proc "$view/proc"
mount --rbind /dev "$view/dev"
mkdir -p "$view/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$view/tmp/.X11-unix"
exec chroot "${user[@]}" "$view" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin "$@"
