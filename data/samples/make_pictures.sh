#!/bin/sh
# Renders the sample pictures with ImageMagick: the two effect-demonstration pictures t1.jpg and t2.jpg
# (cool and warm, with large different shapes so that every transition is easy to follow) and the five
# pictures of the demo show. Everything is drawn here; no outside picture is used.
# Usage: make_pictures.sh [OUTPUT_FOLDER]   (default: this script's folder)
set -eu
out=${1:-$(dirname "$0")}
mkdir -p "$out"
font=DejaVu-Sans-Bold
q="-quality 82 -sampling-factor 2x2 -strip"

# t1: blue-to-teal gradient, a white disc and rings, a large "1".
convert -size 640x480 gradient:'#123a8c'-'#1fb5b0' \
  -fill '#ffffff' -draw 'circle 200,240 200,120' \
  -fill none -stroke '#ffd24a' -strokewidth 14 -draw 'circle 200,240 200,80' \
  -stroke '#ffffff' -strokewidth 6 -draw 'circle 200,240 200,50' \
  -stroke none -fill '#0c2255' -font $font -pointsize 210 -draw "text 150,315 '1'" \
  -fill '#ffffff' -pointsize 38 -draw "text 380,120 'Sample'" -draw "text 380,170 'picture one'" \
  -fill '#ffd24a' -draw 'rectangle 380,330 600,350' -draw 'rectangle 380,380 560,400' \
  $q "$out/t1.jpg"

# t2: orange-to-magenta gradient rotated, a dark triangle and stripes, a large "2".
convert -size 480x640 gradient:'#ff9a1f'-'#b0106a' -rotate 90 \
  -fill '#2b0f3a' -draw 'polygon 420,60 620,420 220,420' \
  -fill '#ffffff' -font $font -pointsize 200 -draw "text 360,380 '2'" \
  -fill '#2b0f3a' -pointsize 38 -draw "text 40,120 'Sample'" -draw "text 40,170 'picture two'" \
  -fill '#ffffff' -draw 'rectangle 40,300 60,440' -draw 'rectangle 90,300 110,440' \
  -draw 'rectangle 140,300 160,440' -draw 'rectangle 190,300 210,440' \
  $q "$out/t2.jpg"

# Demo show: five landscapes of shapes, each with its own palette and a caption.
demo() { # name, gradient top, gradient bottom, caption, then drawing arguments
  name=$1 top=$2 bottom=$3 caption=$4
  shift 4
  convert -size 800x600 gradient:"$top"-"$bottom" "$@" \
    -fill '#00000080' -draw 'rectangle 0,520 800,600' \
    -fill '#ffffff' -font $font -pointsize 34 -gravity southwest -annotate +30+22 "$caption" \
    $q "$out/$name"
}
demo demo1.jpg '#0b1d4a' '#f07b3f' 'VorlinSaver demo: Sunset' \
  -fill '#ffd166' -draw 'circle 400,380 400,250' \
  -fill '#1a1a2e' -draw 'polygon 0,520 180,330 330,470 480,300 800,520'
demo demo2.jpg '#a8e6ff' '#e8f7ff' 'VorlinSaver demo: Hills' \
  -fill '#ffffff' -draw 'ellipse 180,120 90,35 0,360' -draw 'ellipse 560,90 120,40 0,360' \
  -fill '#3fa34d' -draw 'ellipse 200,600 420,230 180,360' \
  -fill '#2a7f3a' -draw 'ellipse 650,600 380,180 180,360'
demo demo3.jpg '#1b1b3a' '#000010' 'VorlinSaver demo: Night' \
  -fill '#f5f3ce' -draw 'circle 620,150 620,90' -fill '#1b1b3a' -draw 'circle 650,130 650,80' \
  -fill '#ffffff' -draw 'point 100,80' -draw 'circle 200,160 202,160' -draw 'circle 330,60 332,60' \
  -draw 'circle 450,200 452,200' -draw 'circle 90,300 92,300' -draw 'circle 520,330 522,330' \
  -fill '#2d2d55' -draw 'rectangle 80,360 180,520' -draw 'rectangle 220,300 320,520' \
  -draw 'rectangle 360,390 470,520' -draw 'rectangle 540,330 660,520'
demo demo4.jpg '#00b4d8' '#03045e' 'VorlinSaver demo: Sea' \
  -fill '#caf0f8' -draw 'bezier 0,300 200,240 400,360 800,300' \
  -fill '#0077b6' -draw 'rectangle 0,320 800,520' \
  -fill '#ffffff' -draw 'polygon 360,140 360,300 470,300' -fill '#6b4226' -draw 'polygon 300,300 520,300 480,340 340,340'
demo demo5.jpg '#ffe5ec' '#ffb3c6' 'VorlinSaver demo: Shapes' \
  -fill '#fb6f92' -draw 'circle 180,220 180,110' \
  -fill '#3a86ff' -draw 'rectangle 330,110 520,300' \
  -fill '#8338ec' -draw 'polygon 660,100 760,300 560,300' \
  -fill '#ffbe0b' -draw 'roundrectangle 120,360 680,470 30,30'
