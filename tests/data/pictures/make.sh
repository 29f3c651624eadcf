#!/bin/sh
# Remakes the small test pictures in this folder with ImageMagick, and for each one the reference
# pixels ImageMagick itself decodes from it (<file>.rgba: 8-bit red-green-blue-alpha rows, top-down).
# The decoders' tests compare their output with those references. Run from anywhere:
#   sh tests/data/pictures/make.sh
# CONVERT may name another ImageMagick convert program.
set -eu
cd "$(dirname "$0")"
C=${CONVERT:-convert}
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

# Sources (not kept): 37 × 23 pictures with distinct, asymmetric colour regions.
#   base: five flat colours; rich: a gradient under the same regions (hundreds of colours);
#   alpha: opaque, half-transparent and fully transparent regions.
$C -size 37x23 xc:white +antialias -fill red -draw "rectangle 0,0 17,10" -fill lime -draw "rectangle 18,0 36,10" \
   -fill blue -draw "rectangle 0,11 17,22" -fill yellow -draw "rectangle 18,11 36,22" \
   -fill black -draw "rectangle 3,3 6,6" "$T/base.png"
$C -size 23x37 gradient:orange-navy -rotate 90 +antialias -fill red -draw "rectangle 0,0 12,8" \
   -fill lime -draw "rectangle 26,14 36,22" -fill black -draw "rectangle 3,3 6,6" "PNG24:$T/rich.png"
$C -size 37x23 xc:none +antialias -fill red -draw "rectangle 0,0 17,10" -fill lime -draw "rectangle 18,0 36,10" \
   -fill 'rgba(0,0,255,0.5)' -draw "rectangle 0,11 17,22" -fill black -draw "rectangle 3,3 6,6" "$T/alpha.png"

ref() { # ref <file> [<frame selector and options>...]: the reference decode of <file>
    f=$1; shift
    $C "$@" -depth 8 "rgba:$f.rgba"
}

# JPEG
$C "$T/rich.png" -quality 90 jpeg_baseline.jpg && ref jpeg_baseline.jpg jpeg_baseline.jpg
$C "$T/rich.png" -quality 90 -interlace Plane jpeg_progressive.jpg && ref jpeg_progressive.jpg jpeg_progressive.jpg
$C "$T/rich.png" -colorspace Gray jpeg_grey.jpg && ref jpeg_grey.jpg jpeg_grey.jpg
$C "$T/rich.png" -colorspace CMYK -quality 95 jpeg_cmyk.jpg && ref jpeg_cmyk.jpg jpeg_cmyk.jpg
# EXIF orientations 1..8: an APP1 block holding only the orientation tag, attached by ImageMagick. The
# reference is ImageMagick's upright picture.
for n in 1 2 3 4 5 6 7 8; do
    printf "Exif\0\0II*\0\010\0\0\0\001\0\022\001\003\0\001\0\0\0\\$(printf %03o "$n")\0\0\0\0\0\0\0" > "$T/o.app1"
    $C "$T/base.png" -quality 95 -profile "APP1:$T/o.app1" "jpeg_orient$n.jpg"
    ref "jpeg_orient$n.jpg" "jpeg_orient$n.jpg" -auto-orient
done

# GIF: 89a, 87a, interlaced, transparent, and an animation whose first frame covers only part of the
# screen (the rest is transparent); the reference is that first frame on its screen.
$C "$T/base.png" gif_89a.gif && ref gif_89a.gif gif_89a.gif
$C "$T/base.png" GIF87:gif_87a.gif && ref gif_87a.gif gif_87a.gif
$C "$T/rich.png" -interlace GIF gif_interlaced.gif && ref gif_interlaced.gif gif_interlaced.gif
$C "$T/alpha.png" -channel A -threshold 60% +channel gif_transparent.gif && ref gif_transparent.gif gif_transparent.gif
$C -page 37x23+5+3 -size 20x10 xc:blue -page 37x23+0+0 -size 37x23 xc:red -loop 0 gif_animated.gif
ref gif_animated.gif 'gif_animated.gif[0]' -background none -layers flatten

# BMP: bit depths, RLE8, bit fields, OS/2 core headers, a bitmap whose fourth bytes hold alpha, top-down.
$C "$T/base.png" -monochrome BMP3:bmp_1bit.bmp && ref bmp_1bit.bmp bmp_1bit.bmp
$C "$T/base.png" -type Palette BMP3:bmp_4bit.bmp && ref bmp_4bit.bmp bmp_4bit.bmp
$C "$T/rich.png" -colors 60 -type Palette BMP3:bmp_8bit.bmp && ref bmp_8bit.bmp bmp_8bit.bmp
$C "$T/rich.png" -colors 60 -type Palette -compress RLE BMP3:bmp_rle8.bmp && ref bmp_rle8.bmp bmp_rle8.bmp
$C "$T/rich.png" -type TrueColor -define bmp:subtype=RGB565 bmp_565.bmp && ref bmp_565.bmp bmp_565.bmp
$C "$T/rich.png" -type TrueColor -define bmp:subtype=RGB555 bmp_555.bmp && ref bmp_555.bmp bmp_555.bmp
$C "$T/rich.png" -type TrueColor BMP3:bmp_24bit.bmp && ref bmp_24bit.bmp bmp_24bit.bmp
$C "$T/rich.png" -type TrueColor bmp_v5_24bit.bmp && ref bmp_v5_24bit.bmp bmp_v5_24bit.bmp
$C "$T/alpha.png" -type TrueColorAlpha bmp_32bit_alpha.bmp && ref bmp_32bit_alpha.bmp bmp_32bit_alpha.bmp -alpha off
$C "$T/rich.png" -type TrueColor BMP2:bmp_os2_24bit.bmp && ref bmp_os2_24bit.bmp bmp_os2_24bit.bmp
$C "$T/base.png" -type Palette BMP2:bmp_os2_4bit.bmp && ref bmp_os2_4bit.bmp bmp_os2_4bit.bmp
# ImageMagick writes bottom-up only: the top-down file is bmp_24bit.bmp with its height negated and its
# rows in the other order (header 54 bytes, rows of 112 bytes). ImageMagick reads it for the reference.
python3 - <<'PY'
d = open("bmp_24bit.bmp", "rb").read()
h = int.from_bytes(d[22:26], "little")
rows = [d[54 + i * 112:54 + (i + 1) * 112] for i in range(h)]
out = d[:22] + (-h).to_bytes(4, "little", signed=True) + d[26:54] + b"".join(reversed(rows))
open("bmp_topdown.bmp", "wb").write(out)
PY
ref bmp_topdown.bmp bmp_topdown.bmp

# ICO: 32-bit BMP entries (alpha), a palette entry with only an AND mask, and a PNG entry (ImageMagick
# writes 256 × 256 entries as PNG). The reference is the largest entry.
$C "$T/alpha.png" \( "$T/alpha.png" -resize 16x10! \) ico_bmp32.ico && ref ico_bmp32.ico 'ico_bmp32.ico[0]'
$C "$T/alpha.png" -channel A -threshold 60% +channel -type PaletteAlpha ico_palette.ico
ref ico_palette.ico 'ico_palette.ico[0]'
$C \( "$T/base.png" -alpha set -region 10x10+0+0 -alpha transparent +region \) \
   \( "$T/base.png" -scale 256x256! -alpha set -region 40x40+100+100 -alpha transparent +region \) ico_png.ico
ref ico_png.ico 'ico_png.ico[1]'
# Two images of one size: a 4-bit one first, then a 32-bit one with other content; the deeper is shown.
$C \( "$T/base.png" -type Palette \) "$T/alpha.png" ico_depths.ico && ref ico_depths.ico 'ico_depths.ico[1]'

# PNG
$C "$T/rich.png" PNG24:png_rgb.png && ref png_rgb.png png_rgb.png
$C "$T/alpha.png" PNG32:png_rgba.png && ref png_rgba.png png_rgba.png
$C "$T/alpha.png" -channel A -threshold 60% +channel PNG8:png_palette_trns.png && ref png_palette_trns.png png_palette_trns.png
$C "$T/rich.png" -colorspace Gray PNG:png_grey.png && ref png_grey.png png_grey.png
$C "$T/rich.png" -depth 16 PNG48:png_rgb16.png && ref png_rgb16.png png_rgb16.png
$C "$T/rich.png" -interlace PNG png_interlaced.png && ref png_interlaced.png png_interlaced.png

# WebP
$C "$T/rich.png" -define webp:lossless=true webp_lossless.webp && ref webp_lossless.webp webp_lossless.webp
$C "$T/alpha.png" -define webp:lossless=true webp_alpha_lossless.webp
ref webp_alpha_lossless.webp webp_alpha_lossless.webp
$C "$T/rich.png" -quality 80 webp_lossy.webp && ref webp_lossy.webp webp_lossy.webp

# A smooth 160 × 120 photo stand-in for the reduced-scale JPEG decode (no reference: it is compared with
# its own full-size decode).
$C -size 120x160 gradient:gold-teal -rotate 90 -quality 92 jpeg_smooth.jpg
# An interlaced GIF long enough to span many data sub-blocks, for the cut-file test.
$C -size 120x160 gradient:gold-teal -rotate 90 -interlace GIF gif_smooth_interlaced.gif
