#!/usr/bin/env bash
# Renders the About box's pictures from their SVG sources in art/about
# (librsvg's rsvg-convert and ImageMagick):
#   logo.svg    -> data/Skin/logo.bmp     the About box's banner
#   bok.svg     -> data/Skin/bok.bmp      the face of its OK button
# The bitmaps are 24-bit BMP files, which LoadImage reads everywhere. Run it
# after changing anything in art/about and commit the results with it.
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in rsvg-convert convert identify; do
  if ! command -v "$tool" >/dev/null; then
    echo "render-about-art: $tool is missing (apt-get install librsvg2-bin imagemagick)" >&2
    exit 1
  fi
done

src=art/about
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rsvg-convert "$src/logo.svg" -o "$tmp/logo.png"
rsvg-convert "$src/bok.svg" -o "$tmp/bok.png"
convert "$tmp/logo.png" -background '#2A3570' -alpha remove -alpha off -type truecolor BMP3:data/Skin/logo.bmp
convert "$tmp/bok.png" -background '#F0F0F0' -alpha remove -alpha off -type truecolor BMP3:data/Skin/bok.bmp

for f in logo:282x42 bok:64x17; do
  name=${f%%:*}
  want=${f#*:}
  size=$(identify -format '%wx%h' "data/Skin/$name.bmp")
  [ "$size" = "$want" ] || { echo "render-about-art: $name.bmp is $size, not $want" >&2; exit 1; }
done
echo "render-about-art: wrote data/Skin/logo.bmp, data/Skin/bok.bmp"
