#!/usr/bin/env bash
# Renders the program's icons and menu pictures in resources/icons from their
# SVG sources in art/icons (librsvg's rsvg-convert and ImageMagick):
#   app.svg        -> app.ico        application icon 126, 16 to 256 pixels
#   options.svg    -> options.ico    icon 127 (Options page)
#   calendar.svg   -> calendar.ico   icon 128 (Calendar page)
#   picture.svg    -> picture.ico    icon 129 (picture chooser)
#   effects.svg    -> effects.ico    icon 130 (Effects page)
#   menu_*.svg     -> menu_*.bmp     tray menu pictures 134-141, 16 x 16,
#                                    24-bit on the menu's background colour
# Run it after changing anything in art/icons and commit the results with it.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v rsvg-convert >/dev/null || ! command -v convert >/dev/null; then
  tools/deps.sh art
fi

src=art/icons
out=resources/icons
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The menus' background (the system's menu colour on Windows 7 and later).
menu_background='#F0F0F0'

icon() {  # name sizes...
  local name=$1
  shift
  local frames=()
  for size in "$@"; do
    rsvg-convert -w "$size" -h "$size" "$src/$name.svg" -o "$tmp/$name-$size.png"
    frames+=("$tmp/$name-$size.png")
  done
  # 32-bit frames with alpha; the largest stays PNG-compressed in the file.
  convert "${frames[@]}" "$out/$name.ico"
}

icon app 16 20 24 32 40 48 64 256
for name in options calendar picture effects; do
  icon "$name" 16 20 24 32 48
done

for svg in "$src"/menu_*.svg; do
  name=$(basename "$svg" .svg)
  rsvg-convert -w 16 -h 16 "$svg" -o "$tmp/$name.png"
  convert "$tmp/$name.png" -background "$menu_background" -alpha remove -alpha off -type truecolor \
    BMP3:"$out/$name.bmp"
done

for f in "$out"/menu_*.bmp; do
  size=$(identify -format '%wx%h' "$f")
  [ "$size" = 16x16 ] || { echo "render-icons: $f is $size, not 16x16" >&2; exit 1; }
done
echo "render-icons: wrote $(ls "$out" | wc -l) files in $out"
