#!/usr/bin/env bash
# Renders the default skin's pictures in data/Skin from their SVG sources in
# art/skin (librsvg's rsvg-convert and ImageMagick):
#   main.svg            -> Main.bmp   the window and the buttons' normal looks
#   main.svg + down.css -> Down.bmp   the buttons' hover and pressed looks
#   mask.svg            -> Mask.bmp   pure black and white: white is cut out
#   each of them        -> Main@150.png and so on, at the display scalings
#   clear.svg           -> clear.jpg  the placeholder picture, only when there
#                                     is none yet
# The pictures are 24-bit BMP files, so that the mask stays exact. Run it
# after changing anything in art/skin and commit the results with it.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in rsvg-convert convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "render-skin-art: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2
    exit 1
  fi
done

src=art/skin
out=data/Skin
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The colour outside the outline; it only shows in the cut edge's pixels.
edge='#1D2A4D'

rsvg-convert "$src/main.svg" -o "$tmp/main.png"
rsvg-convert --stylesheet "$src/down.css" "$src/main.svg" -o "$tmp/down.png"
rsvg-convert "$src/mask.svg" -o "$tmp/mask.png"

convert "$tmp/main.png" -background "$edge" -alpha remove -alpha off -type truecolor BMP3:"$out/Main.bmp"
convert "$tmp/down.png" -background "$edge" -alpha remove -alpha off -type truecolor BMP3:"$out/Down.bmp"
convert "$tmp/mask.png" -background white -alpha remove -alpha off -colorspace gray -threshold 50% \
  -type truecolor BMP3:"$out/Mask.bmp"

if [ ! -f "$out/clear.jpg" ]; then
  rsvg-convert "$src/clear.svg" -o "$tmp/clear.png"
  convert "$tmp/clear.png" -background white -alpha remove -alpha off -quality 90 "$out/clear.jpg"
fi

for f in Main Down Mask; do
  size=$(identify -format '%wx%h' "$out/$f.bmp")
  [ "$size" = 580x410 ] || { echo "render-skin-art: $f.bmp is $size, not 580x410" >&2; exit 1; }
done

# The same at the display scalings the skin names (Main@150 and so on in
# skin.ini): 580 x 410 times the scale, halves up, as PNG files (a fraction
# of a BMP's size at 300 %). The mask is drawn at each size from its
# outline, then made pure black and white.
for scale in 125 150 175 200 250 300; do
  w=$(( (580 * scale + 50) / 100 ))
  h=$(( (410 * scale + 50) / 100 ))
  rsvg-convert -w "$w" -h "$h" "$src/main.svg" -o "$tmp/main.png"
  rsvg-convert -w "$w" -h "$h" --stylesheet "$src/down.css" "$src/main.svg" -o "$tmp/down.png"
  rsvg-convert -w "$w" -h "$h" "$src/mask.svg" -o "$tmp/mask.png"
  convert "$tmp/main.png" -background "$edge" -alpha remove -alpha off -strip -type truecolor PNG24:"$out/Main@$scale.png"
  # Of Down only the buttons' places are used: the rest is left one flat
  # colour, which keeps the files small.
  draw=()
  while IFS=, read -r _ x y bw bh _; do
    x0=$(( (x * scale + 50) / 100 )) y0=$(( (y * scale + 50) / 100 ))
    x1=$(( ((x + bw) * scale + 50) / 100 - 1 )) y1=$(( ((y + bh) * scale + 50) / 100 - 1 ))
    draw+=(-draw "rectangle $x0,$y0 $x1,$y1")
  done < <(sed -n '/^\[BUTTONINFO\]/,/^\[/{s/\r$//;/^[0-9][0-9]*=/p}' "$out/skin.ini")
  convert "$tmp/down.png" -background "$edge" -alpha remove -alpha off \
    \( -size "${w}x$h" xc:black -fill white "${draw[@]}" \) -alpha off -compose CopyOpacity -composite \
    -background "$edge" -alpha remove -alpha off -strip -type truecolor PNG24:"$out/Down@$scale.png"
  convert "$tmp/mask.png" -background white -alpha remove -alpha off -colorspace gray -threshold 50% \
    -strip -type truecolor PNG24:"$out/Mask@$scale.png"
  for f in Main Down Mask; do
    size=$(identify -format '%wx%h' "$out/$f@$scale.png")
    [ "$size" = "${w}x$h" ] || { echo "render-skin-art: $f@$scale.png is $size, not ${w}x$h" >&2; exit 1; }
  done
done
echo "render-skin-art: wrote $out/Main.bmp, Down.bmp, Mask.bmp and their scaled PNGs$( [ -f "$out/clear.jpg" ] && echo ', clear.jpg')"
