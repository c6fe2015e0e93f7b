#!/usr/bin/env bash
# Renders the calendar's pictures from their SVG sources in art/calendar/
# into data/Calendar/: the three 195x173 backgrounds as JPEG and today's
# mark as a 26x20 icon whose pixels are either opaque or clear (the mark is
# copied without blending).
#
#   tools/render-calendar-art.sh        (needs rsvg-convert and ImageMagick:
#                                        tools/deps.sh art)
set -euo pipefail
cd "$(dirname "$0")/.."
src=art/calendar
out=data/Calendar
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out"

for n in 1 2 3; do
  rsvg-convert -w 195 -h 173 -o "$tmp/calendar$n.png" "$src/calendar$n.svg"
  # Full-resolution colour keeps the thin rules crisp.
  convert "$tmp/calendar$n.png" -background black -alpha remove -alpha off \
    -sampling-factor 1x1 -quality 95 -strip "$out/calendar$n.jpg"
done

rsvg-convert -w 26 -h 20 -o "$tmp/check.png" "$src/check.svg"
convert "$tmp/check.png" -channel A -threshold 50% +channel -strip "$out/check.ico"

identify "$out"/calendar?.jpg "$out/check.ico"
