#!/usr/bin/env bash
# A contact sheet of the calendar at its nine positions: one wallpaper
# composed by vistelle-compose for each "Cposition", laid out 3 x 3 as they
# sit on the screen (0 top-left .. 8 bottom-right).
#
#   tools/calendar-contact-sheet.sh [composer] [out.png] [background 0..2]
#
# composer defaults to build/native/vistelle-compose; the sheet goes to
# calendar-sheet.png. Needs ImageMagick. The date is fixed (5 March 2008),
# so sheets of different runs can be compared.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
composer=${1:-$root/build/native/vistelle-compose}
sheet=${2:-calendar-sheet.png}
background=${3:-0}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# A photo-like picture with light and dark parts, so that the text has to
# read on both.
convert -size 1024x768 -seed 7 plasma:steelblue-wheat -blur 0x3 \
  \( -size 1024x768 gradient:white-black \) -compose multiply -composite "$tmp/picture.png"

tiles=()
for p in 0 1 2 3 4 5 6 7 8; do
  printf '[setting]\nsposob_wyswietlania=0\nCposition=%s\nCalpha=170\nCcalendar_background_prog=%s\n' \
    "$p" "$background" > "$tmp/config$p.ini"
  "$composer" --config "$tmp/config$p.ini" --screen 1024x768 --date 2008-03-05 \
    --data "$root/data" "$tmp/picture.png" -o "$tmp/wall$p.bmp" > /dev/null
  convert "$tmp/wall$p.bmp" -resize 50% -bordercolor white -border 4 "$tmp/tile$p.png"
  tiles+=("$tmp/tile$p.png")
done
montage "${tiles[@]}" -tile 3x3 -geometry +0+0 "$sheet"
# And one calendar at full size, cut from the top-right wallpaper.
convert "$tmp/wall2.bmp" -crop 235x213+789+0 +repage -scale 300% "${sheet%.png}-detail.png"
echo "$sheet"
