#!/usr/bin/env bash
# Our composer against ImageMagick's convert doing the same chain on the same
# decoded picture (a BMP, so that neither pays for JPEG decoding): nearest
# resample to the screen, the sharpen and blur kernels, negate, gray, noise,
# brightness/contrast, colour shift and the calendar background blended on
# top, written as a BMP. The two take turns in the same run; medians of the
# wall-clock times and their ratio are printed.
#
#   bench/compare-imagemagick.sh [composer] [runs] [WIDTHxHEIGHT]
#
# composer defaults to build/bench/vistelle-compose (cmake --preset bench).
# ImageMagick runs with its own defaults (it may use several threads); ours
# is single-threaded.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
composer=${1:-$root/build/bench/vistelle-compose}
runs=${2:-7}
screen=${3:-1920x1080}
W=${screen%x*}
H=${screen#*x}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

convert -size 2560x1600 -seed 3 plasma:steelblue-wheat -blur 0x2 BMP3:"$tmp/picture.bmp"

cat > "$tmp/config.ini" <<INI
[setting]
sposob_wyswietlania=0
Smartblur=0
Negativ=1
Gray=1
Pseudocolors=0
Noise=1
NoiseInt=25
Sharpen=1
Blur=1
Contrast=1
ContrastInt=20
Lighten=1
LightenInt=20
Colorize=1
CoorizeIntR=255
CoorizeIntG=212
CoorizeIntB=36
Cactivecalendar=1
Cposition=2
Calpha=130
INI

# The calendar's corner at the top-right, 20 pixels from the edges.
cx=$((W - 215))
cy=20

ours() {
  "$composer" --config "$tmp/config.ini" --screen "$screen" --date 2008-03-05 --seed 1 \
    --data "$root/data" "$tmp/picture.bmp" -o "$tmp/ours.bmp" > /dev/null
}
theirs() {
  convert "$tmp/picture.bmp" -sample "${W}x${H}!" \
    -define convolve:scale='!' \
    -morphology Convolve '3x3: -1,-1,-1 -1,15,-1 -1,-1,-1' \
    -morphology Convolve '3x3: 1,1,1 1,1,1 1,1,1' \
    -negate -colorspace Gray -colorspace sRGB -type TrueColor \
    -attenuate 0.1 +noise Uniform \
    -brightness-contrast 20x20 \
    -channel R -evaluate add 49.8% -channel G -evaluate add 32.9% -channel B -evaluate subtract 36.1% +channel \
    \( "$root/data/Calendar/calendar1.jpg" \) -geometry "+${cx}+${cy}" \
    -compose dissolve -define compose:args=51 -composite \
    BMP3:"$tmp/theirs.bmp"
}

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

ours; theirs  # warm the caches
: > "$tmp/ours.t"; : > "$tmp/theirs.t"
for ((i = 0; i < runs; ++i)); do
  t0=$(now); ours; t1=$(now); theirs; t2=$(now)
  echo $(((t1 - t0) / 1000)) >> "$tmp/ours.t"
  echo $(((t2 - t1) / 1000)) >> "$tmp/theirs.t"
done
o=$(median < "$tmp/ours.t")
t=$(median < "$tmp/theirs.t")
echo "screen $screen, picture 2560x1600 BMP, $runs runs each, in turns"
printf 'vistelle-compose (all effects but smart blur and pseudocolours, calendar): %8.1f ms\n' "$(echo "$o / 1000" | bc -l)"
printf 'ImageMagick convert (same chain, background blend only):                %8.1f ms\n' "$(echo "$t / 1000" | bc -l)"
printf 'ratio ImageMagick / ours: %.1f\n' "$(echo "$t / $o" | bc -l)"
