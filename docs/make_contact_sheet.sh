#!/bin/sh
# Regenerates docs/contact-sheet.png: every effect number at half progress from t1.jpg to t2.jpg, in cells
# of 96x72 pixels, as a 200-colour PNG to keep the file small.
# Usage: docs/make_contact_sheet.sh [PATH/TO/vorlin-frames]   (default: build/tools/frames/vorlin-frames)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
frames=${1:-$root/build/tools/frames/vorlin-frames}
work=$(mktemp -d "${TMPDIR:-/tmp}/contact-sheet.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
sheet=$("$frames" --old "$root/data/samples/t1.jpg" --new "$root/data/samples/t2.jpg" --sheet --progress 50 \
    --out "$work")
convert "$sheet" -resize 60% -dither None -colors 200 -define png:compression-level=9 "PNG8:$root/docs/contact-sheet.png"
echo "$root/docs/contact-sheet.png"
