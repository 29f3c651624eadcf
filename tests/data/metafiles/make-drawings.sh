#!/usr/bin/env bash
# Regenerates the metafiles in this folder from drawing.svg with Inkscape 1.2 (Debian 12 package
# "inkscape", installed by hand: the committed files are what the tests read, so CI does not need it).
#
# drawing.svg is 240 × 160 px: a red rectangle, a blue ellipse, a green triangle, a 48 × 32 PNG (left half
# yellow, right half magenta, made with `convert -size 24x32 xc:'#ffff00' -size 24x32 xc:'#ff00ff'
# +append`) and the word "Vorlin" in DejaVu Sans 22 px.
#
#   drawing-text.emf / drawing-text.wmf   text kept as text records (ExtTextOut)
#   drawing-paths.emf / drawing-paths.wmf text converted to outlines (paths with béziers, polygons)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
prof="$(mktemp -d)"
trap 'rm -rf "$prof"' EXIT

export INKSCAPE_PROFILE_DIR="$prof"
inkscape "$here/drawing.svg" --export-type=emf --export-filename="$here/drawing-paths.emf"
inkscape "$here/drawing.svg" --export-type=wmf --export-filename="$here/drawing-paths.wmf"

cat >"$prof/preferences.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8" standalone="no"?>
<inkscape version="1">
  <group id="extensions" org.inkscape.output.emf.textToPath="false" org.inkscape.output.wmf.textToPath="false" />
</inkscape>
XML
inkscape "$here/drawing.svg" --export-type=emf --export-filename="$here/drawing-text.emf"
inkscape "$here/drawing.svg" --export-type=wmf --export-filename="$here/drawing-text.wmf"
