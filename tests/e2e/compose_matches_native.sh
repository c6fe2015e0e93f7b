#!/bin/bash
# The Windows composer must make the same wallpaper, byte for byte, as the
# native one: same pictures, same settings, same screen or monitors.
#
#   tests/e2e/compose_matches_native.sh [NATIVE_COMPOSE [WINDOWS_COMPOSE_EXE]]
#
# Defaults: build/native/vistelle-compose and build/windows/vistelle-compose.exe.
# The Windows one runs under Wine through tools/wine-run (no display needed;
# run the whole script under tools/with-xvfb to share one wineserver). A
# second composer that is not an .exe runs as it is, which compares two
# native builds (one from before a change with one from after it).
# The calendar is off: its text comes from each platform's own font engine
# (the caption's, from the font built into the program, is compared).
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
native=${1:-$root/build/native/vistelle-compose}
windows=${2:-$root/build/windows/vistelle-compose.exe}
native=$(realpath "$native" 2>/dev/null || echo "$native")
windows=$(realpath "$windows" 2>/dev/null || echo "$windows")
for program in "$native" "$windows"; do
  if ! [ -f "$program" ]; then
    echo "compose_matches_native: $program is missing (build it first)" >&2
    exit 2
  fi
done
command -v convert >/dev/null || { echo "compose_matches_native: ImageMagick's convert is needed" >&2; exit 2; }
command -v python3 >/dev/null || { echo "compose_matches_native: python3 is needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-e2e.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2
mkdir data

# Pictures with an odd size and nothing symmetric about them, so that
# flips, row padding and rounding show; one larger than the screen, one
# much smaller (the tiles), some with transparency.
convert -size 333x257 gradient:'#1040c0-#f0d020' \
  -fill '#c02020' -draw 'rectangle 20,30 120,90' -fill '#20a040' -draw 'circle 250,180 290,200' \
  -type TrueColor BMP3:wide.bmp
convert -seed 4 -size 1500x977 plasma:fractal -blur 0x1 -type TrueColor BMP3:large.bmp 2>/dev/null ||
  convert -size 1500x977 gradient:'#ffffff-#000000' -type TrueColor BMP3:large.bmp
convert -size 97x61 xc:'#3070b0' -fill '#e0e0e0' -draw 'polygon 0,0 96,10 20,60' \
  -depth 8 -define png:color-type=2 small.png
convert -size 200x150 gradient:'#ff8000-#0080ff' \( -size 200x150 gradient:'#ffffff-#202020' \) \
  -alpha off -compose CopyOpacity -composite -depth 8 -define png:color-type=6 alpha.png
# For fill and fit: a panorama wider than the screen but lower (fill
# enlarges it, fit shrinks it), and a large picture with transparent holes
# and half-transparent parts (shrunk through the alpha plane).
convert -size 2000x300 gradient:'#204080-#e0c040' -fill '#ffffff' -draw 'line 0,150 1999,151' \
  -fill '#000000' -draw 'rectangle 1001,20 1003,280' -type TrueColor BMP3:panorama.bmp
convert -size 1601x1203 xc:'#40a0ff' -fill '#ff3010' -draw 'circle 800,600 800,100' \
  \( -size 1601x1203 xc:white -fill black -draw 'circle 400,300 400,100' -fill '#808080' \
     -draw 'rectangle 1100,700 1500,1100' \) -alpha off -compose CopyOpacity -composite \
  -depth 8 -define png:color-type=6 holes.png

# Every BMP layout, from 16-bit bit fields to run-length compression (the
# list is in tools/bmp_flavours.py): both builds must read each the same.
mkdir bmp
python3 "$root/tools/bmp_flavours.py" bmp >bmp-flavours.txt || { echo "compose_matches_native: no BMP files" >&2; exit 2; }
mapfile -t bmp_flavours <bmp-flavours.txt

write_config() {  # name position [extra lines]
  local name=$1 position=$2
  shift 2
  {
    printf '[setting]\r\n'
    printf 'sposob_wyswietlania=%s\r\n' "$position"
    printf 'Cactivecalendar=0\r\n'
    for line in "$@"; do printf '%s\r\n' "$line"; done
  } >"$name"
}
write_config stretch.ini 0
write_config centre.ini 2
write_config tile.ini 1
write_config fill.ini 3 CRGB_background_R=30 CRGB_background_G=160 CRGB_background_B=90
write_config fit.ini 4 CRGB_background_R=30 CRGB_background_G=160 CRGB_background_B=90
write_config fit-effects.ini 4 Sharpen=1 Gray=1
write_config effects.ini 0 Sharpen=1 Contrast=1 ContrastInt=35 Colorize=1 Lighten=1 LightenInt=10
# Noise and filters on the rows as a picture coming from the top is placed.
write_config placed-effects.ini 3 Negativ=1 Noise=1 NoiseInt=30 Sharpen=1 Blur=1
# Across the monitors: the same picture on each (1) or one each (2).
write_config span-stretch.ini 0 monitor_mode=1
write_config span-tile.ini 1 monitor_mode=1
write_config span-fit.ini 4 monitor_mode=1 CRGB_background_R=30 CRGB_background_G=160 CRGB_background_B=90
write_config each-stretch.ini 0 monitor_mode=2 Sharpen=1 Contrast=1 ContrastInt=35
write_config each-centre.ini 2 monitor_mode=2
write_config each-fill.ini 3 monitor_mode=2 CRGB_background_R=30 CRGB_background_G=160 CRGB_background_B=90
write_config each-fit.ini 4 monitor_mode=2 CRGB_background_R=30 CRGB_background_G=160 CRGB_background_B=90
write_config primary-only.ini 0 monitor_mode=0
# Each monitor with a position and background of its own (known by its
# place in the layout's order); a monitor named nowhere takes the defaults.
write_config each-own.ini 3 monitor_mode=2 CRGB_background_R=30 CRGB_background_G=160 CRGB_background_B=90 \
  '[monitors]' count=3 monitor1_place=0 monitor1_position=4 monitor1_background=200,40,40 \
  monitor2_place=2 monitor2_position=2 monitor2_background=0,0,128 monitor3_place=3 monitor3_position=0

# The caption: the text of a picture's EXIF tags or of its name, in the
# font built into the program, so the same in both builds.
write_config caption.ini 3 caption=1 'caption_pattern={title|name} - {artist}, {date} ({folder})' caption_plate=1
write_config caption-top.ini 2 caption=1 caption_position=0 caption_size=36 caption_r=250 caption_g=200 \
  caption_b=40 caption_shadow=0
write_config each-caption.ini 3 monitor_mode=2 caption=1 caption_position=7 caption_plate=1
cp "$root/tests/data/ref.jpg" tagged.jpg
exiftool -q -overwrite_original -ImageDescription='Harbour at dusk, Gdańsk' -Artist='Ann Lee' \
  -DateTimeOriginal='2021:07:14 19:32:00' tagged.jpg ||
  { echo "compose_matches_native: exiftool is needed" >&2; exit 2; }
long_name="Café Übersee, a name much too long for the screen that the caption cuts.bmp"
cp wide.bmp "$long_name"

failures=0
cases=0
run_case() {  # config picture screen
  local config=$1 picture=$2 screen=$3
  local base=${picture##*/}
  local name="${config%.ini}-${base%.*}-$screen"
  local args=(--config "$config" --screen "$screen" --date 2024-03-15 --seed 7 --data data "$picture")
  compare_case "$name" "${args[@]}"
}

compare_case() {  # name args...
  local name=$1
  shift
  local args=("$@")
  cases=$((cases + 1))
  if ! "$native" "${args[@]}" -o "native-$name.bmp" >"native-$name.log" 2>&1; then
    echo "FAIL $name: the native composer failed:"; cat "native-$name.log"
    failures=$((failures + 1))
    return
  fi
  # A program that crashed under Wine may still end with 0: no wallpaper
  # is a failure too. (A crash report is long; its start says enough.)
  local runner=("$root/tools/wine-run" "$windows")
  [[ $windows == *.exe ]] || runner=("$windows")
  if ! "${runner[@]}" "${args[@]}" -o "windows-$name.bmp" >"windows-$name.log" 2>&1 ||
     ! [ -s "windows-$name.bmp" ]; then
    echo "FAIL $name: the Windows composer failed:"; head -n 20 "windows-$name.log"
    failures=$((failures + 1))
    return
  fi
  if cmp -s "native-$name.bmp" "windows-$name.bmp"; then
    echo "ok   $name"
  else
    echo "FAIL $name: the wallpapers differ in" \
      "$(compare -metric AE "native-$name.bmp" "windows-$name.bmp" null: 2>&1) pixels"
    cmp "native-$name.bmp" "windows-$name.bmp" | head -1
    failures=$((failures + 1))
  fi
}

for config in stretch.ini centre.ini tile.ini; do
  for picture in wide.bmp large.bmp small.png alpha.png; do
    run_case "$config" "$picture" 1024x768
  done
done
run_case effects.ini wide.bmp 1024x768
run_case effects.ini alpha.png 1024x768
run_case placed-effects.ini small.png 801x599
run_case placed-effects.ini small.png 64x1
run_case centre.ini small.png 801x599
# The BMP layouts centred, pixel for pixel, on the background colour; two
# of them stretched as well.
for picture in "${bmp_flavours[@]}"; do
  run_case centre.ini "bmp/$picture" 801x599
done
run_case stretch.ini bmp/v5-bitfields32-alpha.bmp 801x599
run_case stretch.ini bmp/rle4.bmp 801x599
run_case tile.ini wide.bmp 801x599
# Fill and fit: enlarged (wide, small, alpha), shrunk (large, holes), one
# way or the other (panorama), on an even and an odd screen.
for config in fill.ini fit.ini; do
  for picture in wide.bmp large.bmp small.png alpha.png panorama.bmp holes.png; do
    for screen in 1024x768 801x599; do
      run_case "$config" "$picture" "$screen"
    done
  done
  run_case "$config" large.bmp 1920x1080
  run_case "$config" bmp/v5-bitfields32-alpha.bmp 97x1201
done
run_case fit-effects.ini holes.png 1024x768
run_case caption.ini tagged.jpg 1024x768
run_case caption.ini "$long_name" 801x599
run_case caption-top.ini alpha.png 640x480
# Every decoder that hands its rows over one at a time, and those that
# decode whole first (interlaced, turned by EXIF, animated), in each
# position; a photo large enough for the scaled JPEG decode. A CMYK JPEG
# and the scaled decode give other pixels from WIC than from libjpeg, so
# those two are compared only between two native builds.
pictures=(ref.jpg quadrants_640x400_turned.jpg ref_adam7.png ref_rgba.png ref_palette_trns.png
  ref_rle.tga ref_8bit.pcx ref_24bit.pcx ref.wbmp ref_transparent.gif ref_rle8.bmp)
[[ $windows == *.exe ]] || pictures+=(ref_x8_cmyk.jpg)
for picture in "${pictures[@]}"; do
  cp "$root/tests/data/$picture" .
  for config in stretch.ini centre.ini tile.ini fill.ini fit.ini; do
    run_case "$config" "$picture" 801x599
  done
done
if [[ $windows != *.exe ]]; then
  convert -seed 9 -size 2400x1601 plasma:fractal -quality 90 photo.jpg 2>/dev/null ||
    convert -size 2400x1601 gradient:'#ffffff-#000000' -quality 90 photo.jpg
  for config in fill.ini fit.ini; do
    run_case "$config" photo.jpg 1024x768
    run_case "$config" photo.jpg 801x599
  done
fi

# Monitors: config, layout, the canvas size it must give, pictures (the
# first the primary's, the next ones for the others in the layout's order).
run_monitors_case() {
  local config=$1 layout=$2 size=$3
  shift 3
  local base=""
  for picture in "$@"; do base+="-${picture%.*}"; done
  local name="${config%.ini}$base-$(echo "$layout" | tr ',+' '_p')"
  compare_case "$name" --config "$config" --monitors "$layout" --date 2024-03-15 --seed 7 --data data "$@"
  if [ -s "native-$name.bmp" ] && [ "$(identify -format '%wx%h' "native-$name.bmp")" != "$size" ]; then
    echo "FAIL $name: $(identify -format '%wx%h' "native-$name.bmp") instead of $size"
    failures=$((failures + 1))
  fi
}
mixed=1024x768+0+0,800x600+1024+168
negative=800x600+0+0,640x480-640-100
stacked=1024x768+0+0,1024x768+0-768
three=640x480+0+0,800x600+700+0,300x200-300+0  # with a gap between the first two
run_monitors_case span-stretch.ini "$mixed" 1824x768 wide.bmp
run_monitors_case span-stretch.ini "$mixed" 1824x768 alpha.png
run_monitors_case each-fill.ini "$mixed" 1824x768 large.bmp panorama.bmp
run_monitors_case each-fit.ini "$negative" 1440x700 holes.png alpha.png
run_monitors_case span-tile.ini "$negative" 1440x700 small.png
run_monitors_case each-centre.ini "$stacked" 1024x1536 wide.bmp large.bmp
run_monitors_case span-fit.ini "$stacked" 1024x1536 panorama.bmp
run_monitors_case each-stretch.ini "$three" 1800x600 wide.bmp alpha.png small.png
run_monitors_case each-fill.ini "$three" 1800x600 holes.png
run_monitors_case primary-only.ini "$three" 640x480 wide.bmp
run_monitors_case each-caption.ini "$mixed" 1824x768 large.bmp panorama.bmp
run_monitors_case each-own.ini 1024x768+0+0,600x1000+1024+0,800x600-800+0 2424x1000 panorama.bmp wide.bmp alpha.png

echo "$((cases - failures)) of $cases wallpapers match"
[ "$failures" -eq 0 ]
