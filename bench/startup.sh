#!/usr/bin/env bash
# The program under Wine: how long Pictora.exe takes from its start to a
# shown main window with a small library, and how long a manual wallpaper
# change of a 6000x4000 JPEG takes on a 1920x1080 screen. Goals: under 1 s
# each.
#
#   bench/startup.sh [WINDOWS_BUILD_DIR] [RUNS]
#
# Defaults: build/windows, 5 runs; prints the median and every run. Runs on
# a private 1920x1080 Xvfb display with the project's Wine prefix. The
# start-up is timed by the test controller, which starts the program and
# watches for its window; the change is the tray's "Set next wallpaper",
# sent to the window and timed until the window has handled it (load,
# compose, write pictora.bmp, set the wallpaper, make the preview), then the
# same in fill mode (goal: under 500 ms).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build/windows}")
runs=${2:-5}
controller="$build/vistelle-controller.exe"
name=startup.sh
. bench/wine_bench_lib.sh

# The demo library: four pictures of 1600x1000 in two categories; then two
# photographs.
p="$work/pictures"
convert -size 1600x1000 gradient:'#2a3570-#f08050' -quality 90 "$p/hills.jpg"
convert -size 1600x1000 gradient:'#ffd6a0-#3070b0' -quality 90 "$p/sea.jpg"
convert -size 1600x1000 gradient:'#f6d9a8-#c8743a' -quality 90 "$p/dunes.jpg"
convert -size 1600x1000 radial-gradient:'#30407a-#101428' -quality 90 "$p/circles.jpg"
make_photos photo1 photo2
printf 'Landscapes\r\n%s\r\n%s\r\n%s\r\n\r\nAbstract\r\n%s' "$(winpath "$p/hills.jpg")" "$(winpath "$p/sea.jpg")" \
  "$(winpath "$p/dunes.jpg")" "$(winpath "$p/circles.jpg")" >"$work/demo.txt"

cat >"$work/run.sh" <<EOF
set -u
ctl() { "$root/tools/wine-run" "$controller" "\$@" >"$work/ctl.out" 2>>"$work/ctl.err"; }
close() { ctl close + wait-gone 30; }
: >"$work/startup.txt"
: >"$work/change.txt"
: >"$work/fill.txt"
# Once first, so that the prefix's own start-up costs are not counted.
cp "$work/demo.txt" "$app/pictora.txt"
ctl launch "$(winpath "$app/Pictora.exe")" && close
for i in \$(seq 1 $runs); do
  cp "$work/demo.txt" "$app/pictora.txt"
  rm -f "$app/config.ini"
  ctl launch "$(winpath "$app/Pictora.exe")" || exit 1
  cat "$work/ctl.out" >>"$work/startup.txt"
  close
done
cp "$work/photos.txt" "$app/pictora.txt"
rm -f "$app/config.ini"
ctl launch "$(winpath "$app/Pictora.exe")" || exit 1
for i in \$(seq 1 $runs); do
  ctl timed command 5 || exit 1
  cat "$work/ctl.out" >>"$work/change.txt"
done
identify -format '%wx%h' "$app/pictora.bmp" >"$work/size.txt"
close
# The same in fill mode.
printf '[setting]\r\nsposob_wyswietlania=3\r\n' >"$app/config.ini"
ctl launch "$(winpath "$app/Pictora.exe")" || exit 1
for i in \$(seq 1 $runs); do
  ctl timed command 5 || exit 1
  cat "$work/ctl.out" >>"$work/fill.txt"
done
close
EOF
VISTELLE_USE_DISPLAY=1 tools/with-xvfb bash "$work/run.sh"

median() { sort -n "$1" | tr -d '\r' | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
all() { tr -d '\r' <"$1" | tr '\n' ' '; }
startup=$(median "$work/startup.txt")
change=$(median "$work/change.txt")
fill=$(median "$work/fill.txt")
echo "Start-up to a shown main window (demo library): median ${startup} ms; runs: $(all "$work/startup.txt")"
echo "Manual change of a 6000x4000 JPEG at $(cat "$work/size.txt"): median ${change} ms; runs: $(all "$work/change.txt")"
echo "The same in fill mode: median ${fill} ms; runs: $(all "$work/fill.txt")"
status=0
[ "$startup" -lt 1000 ] || { echo "start-up misses its goal of 1 s"; status=1; }
[ "$change" -lt 1000 ] || { echo "the change misses its goal of 1 s"; status=1; }
[ "$fill" -lt 500 ] || { echo "the change in fill mode misses its goal of 500 ms"; status=1; }
exit $status
