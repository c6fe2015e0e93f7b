#!/usr/bin/env bash
# A wallpaper change against the time it takes to decode its file once.
#
#   bench/streaming.sh [composer] [runs] [other composer]
#
# In one run, taking turns: the composer in fill mode (calendar off) from a
# noisy 6000x4000 JPEG of quality 90 to 3840x2160; djpeg decoding the same
# file in full to nowhere (the floor); ImageMagick's fill of it; the whole
# composition with every effect and the calendar at 3840x2160 from the same
# file, ours against ImageMagick's chain of the same steps (as in
# compare-imagemagick.sh); and fill from a 6000x4000 PNG. Medians of the
# wall-clock times, and the peak resident memory of one run of each (GNU
# time). With an other composer (a build from before a change) its figures
# are measured in the same turns.
#
# Every tool writes its wallpaper to a folder in memory (/dev/shm, or
# VISTELLE_BENCH_OUT), so that the times are the tools' own: on ext4 a file
# replaced by a rename, as ours is, has its data written out at once
# (auto_da_alloc, some 20 ms for 25 MB here), and one truncated, as
# ImageMagick's is, has its old pages freed first (some 9 ms).
#
# composer defaults to build/bench/vistelle-compose (cmake --preset bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
composer=${1:-$root/build/bench/vistelle-compose}
runs=${2:-7}
other=${3:-}
for tool in djpeg convert /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "streaming.sh: $tool is needed (tools/deps.sh bench)" >&2; exit 2; }
done
cache=${TMPDIR:-/tmp}/vistelle-bench
mkdir -p "$cache"
tmp=$(mktemp -d)
out_root=${VISTELLE_BENCH_OUT:-/dev/shm}
[ -d "$out_root" ] && [ -w "$out_root" ] || out_root=${TMPDIR:-/tmp}
out=$(mktemp -d "$out_root/vistelle-bench.XXXXXX")
trap 'rm -rf "$tmp" "$out"' EXIT

# Noise keeps the JPEG large (about 7.4 MB) and slow to decode, as a photo is.
jpeg=$cache/noisy-6000x4000-q90.jpg
png=$cache/noisy-6000x4000.png
[ -s "$jpeg" ] || convert -size 6000x4000 -seed 5 plasma:fractal -attenuate 0.15 +noise Gaussian -quality 90 "$jpeg"
[ -s "$png" ] || convert "$jpeg" -depth 8 -define png:color-type=2 "$png"

printf '[setting]\r\nsposob_wyswietlania=3\r\nCactivecalendar=0\r\n' >"$tmp/fill.ini"
cat >"$tmp/all.ini" <<'INI'
[setting]
sposob_wyswietlania=0
Negativ=1
Gray=1
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

compose() {  # composer config picture: the command line
  echo "$1 --config $2 --screen 3840x2160 --date 2008-03-05 --seed 1 --data $root/data $3 -o $out/out.bmp"
}
declare -A command
command[ours-fill-jpeg]=$(compose $composer $tmp/fill.ini $jpeg)
command[ours-fill-png]=$(compose $composer $tmp/fill.ini $png)
command[ours-all-jpeg]=$(compose $composer $tmp/all.ini $jpeg)
if [ -n "$other" ]; then
  command[before-fill-jpeg]=$(compose $other $tmp/fill.ini $jpeg)
  command[before-fill-png]=$(compose $other $tmp/fill.ini $png)
  command[before-all-jpeg]=$(compose $other $tmp/all.ini $jpeg)
fi
command[djpeg]="djpeg -ppm -outfile /dev/null $jpeg"
command[magick-fill-jpeg]="convert $jpeg -resize 3840x2160^ -gravity center -extent 3840x2160 BMP3:$out/magick.bmp"
cx=$((3840 - 215))
command[magick-all-jpeg]="convert $jpeg -sample 3840x2160! -define convolve:scale=! \
  -morphology Convolve 3x3:-1,-1,-1,-1,15,-1,-1,-1,-1 -morphology Convolve 3x3:1,1,1,1,1,1,1,1,1 \
  -negate -colorspace Gray -colorspace sRGB -type TrueColor -attenuate 0.1 +noise Uniform \
  -brightness-contrast 20x20 \
  -channel R -evaluate add 49.8% -channel G -evaluate add 32.9% -channel B -evaluate subtract 36.1% +channel \
  ( $root/data/Calendar/calendar1.jpg ) -geometry +${cx}+20 -compose dissolve -define compose:args=51 -composite \
  BMP3:$out/magick.bmp"

names=(djpeg ours-fill-jpeg magick-fill-jpeg ours-all-jpeg magick-all-jpeg ours-fill-png)
[ -n "$other" ] && names+=(before-fill-jpeg before-all-jpeg before-fill-png)
now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
for name in "${names[@]}"; do
  ${command[$name]} >/dev/null  # warm the caches
  /usr/bin/time -f %M -o "$tmp/$name.rss" ${command[$name]} >/dev/null
  : >"$tmp/$name.t"
done
for ((i = 0; i < runs; ++i)); do
  for name in "${names[@]}"; do
    t0=$(now)
    ${command[$name]} >/dev/null
    echo $((($(now) - t0) / 1000000)) >>"$tmp/$name.t"
  done
done
ms() { median <"$tmp/$1.t"; }
echo "$(nproc) cores, $(date -u '+%Y-%m-%d %H:%M UTC'), load $(cut -d' ' -f1-3 /proc/loadavg), $runs runs, written to $(df --output=fstype "$out" | tail -1) ($out_root)"
printf '%-18s %9s %12s\n' what median 'peak memory'
for name in "${names[@]}"; do
  printf '%-18s %7s ms %9s MB\n' "$name" "$(ms "$name")" "$(($(tail -1 "$tmp/$name.rss") / 1024))"
done
echo "fill against the decode alone: $(awk -v a="$(ms ours-fill-jpeg)" -v b="$(ms djpeg)" 'BEGIN {printf "%.2fx", a / b}')"
echo "ImageMagick's fill against ours: $(awk -v a="$(ms magick-fill-jpeg)" -v b="$(ms ours-fill-jpeg)" 'BEGIN {printf "%.1fx", a / b}')"
echo "ImageMagick's whole chain against ours: $(awk -v a="$(ms magick-all-jpeg)" -v b="$(ms ours-all-jpeg)" 'BEGIN {printf "%.1fx", a / b}')"
