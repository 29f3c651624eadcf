#!/bin/sh
# Renders the icon's PNG sizes from net.mirtavo.VorlinSaver.svg (needs rsvg-convert, package librsvg2-bin).
# Writes beside itself; commit the results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for size in 48 256; do
    rsvg-convert -w "$size" -h "$size" -o "$here/net.mirtavo.VorlinSaver-$size.png" "$here/net.mirtavo.VorlinSaver.svg"
done
