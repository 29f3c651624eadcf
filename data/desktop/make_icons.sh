#!/bin/sh
# Renders the icon's PNG sizes from net.mirtavo.vorlinsaver.svg (needs rsvg-convert, package librsvg2-bin).
# Writes beside itself; commit the results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for size in 48 256; do
    rsvg-convert -w "$size" -h "$size" -o "$here/net.mirtavo.vorlinsaver-$size.png" "$here/net.mirtavo.vorlinsaver.svg"
done
