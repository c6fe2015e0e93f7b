#!/usr/bin/env bash
# What "make run" shows: Pictora.exe under Wine, from its portable folder
# out/Vistelle, with a demo library of sample pictures in two categories.
#
# On a display (DISPLAY set) the program opens there and runs until it is
# closed through its tray icon's "Close". Without one it runs on a private
# Xvfb display: the wallpaper is changed once, a screenshot of the screen is
# left in out/screenshot.png and the composed wallpaper in out/pictora.bmp,
# and the program is closed again.
#
# VISTELLE_WINDOWS_BUILD names the Windows build (default build/windows).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${VISTELLE_WINDOWS_BUILD:-build/windows}
out=out
app="$out/Vistelle"
pictures="$out/demo-pictures"

[ -f "$build/Pictora.exe" ] || { echo "run-demo: $build/Pictora.exe is missing (make windows)" >&2; exit 1; }

# The portable folder, as users unzip it.
rm -rf "$app"
mkdir -p "$out"
cmake --install "$build" --prefix "$app" >/dev/null

# Sample pictures, made once.
mkdir -p "$pictures"
make_picture() {  # name convert-arguments...
  local file="$pictures/$1"
  shift
  [ -f "$file" ] || convert "$@" -quality 90 "$file"
}
echo "run-demo: making the demo pictures in $pictures"
make_picture "Evening hills.jpg" -size 1600x1000 gradient:'#2a3570-#f08050' \
  -fill '#ffe0a0' -draw 'circle 1120,560 1120,480' \
  -fill '#3a2a50' -draw 'polygon 0,1000 0,700 300,560 620,720 900,600 1250,760 1600,640 1600,1000' \
  -fill '#1e1830' -draw 'polygon 0,1000 0,840 420,730 800,860 1200,780 1600,880 1600,1000'
make_picture "Northern lights.jpg" -seed 11 -size 1600x1000 plasma:'#0a1a3a-#20c0a0' -blur 0x24 \
  \( -size 1600x1000 gradient:'#8090c0-#ffffff' \) -compose multiply -composite \
  -fill '#0b0f1e' -draw 'polygon 0,1000 0,880 260,820 520,900 900,800 1300,900 1600,840 1600,1000'
make_picture "Dunes.jpg" -size 1600x1000 gradient:'#f6d9a8-#c8743a' \
  -fill '#e9a860' -draw 'bezier 0,620 500,470 900,720 1600,560' -draw 'polygon 0,1000 0,620 1600,560 1600,1000' \
  -fill '#b86430' -draw 'polygon 0,1000 0,820 700,700 1600,880 1600,1000'
make_picture "Sea at dawn.jpg" -size 1600x1000 gradient:'#ffd6a0-#3070b0' \
  -fill '#fff3d8' -draw 'circle 800,520 800,470' \
  -fill '#2a5c8c' -draw 'rectangle 0,560 1600,1000' -fill '#3a78a8' -draw 'rectangle 0,640 1600,700' \
  -fill '#214a72' -draw 'rectangle 0,780 1600,1000'
make_picture "Colour field.jpg" -seed 5 -size 1600x1000 plasma:fractal -blur 0x30 -modulate 100,160
make_picture "Circles.jpg" -size 1600x1000 radial-gradient:'#30407a-#101428' \
  -fill '#f06a4a80' -draw 'circle 500,420 500,180' -fill '#ff946680' -draw 'circle 950,560 950,330' \
  -fill '#40c0e080' -draw 'circle 1200,320 1200,200' -fill '#f0d04080' -draw 'circle 760,800 760,700'

winpath() { local full; full=$(realpath "$1"); printf 'Z:%s' "${full//\//\\}"; }
{
  printf 'Landscapes\r\n'
  printf '%s\r\n' "$(winpath "$pictures/Evening hills.jpg")" "$(winpath "$pictures/Sea at dawn.jpg")" \
    "$(winpath "$pictures/Northern lights.jpg")"
  printf '%s\r\n\r\nAbstract\r\n' "$(winpath "$pictures/Dunes.jpg")"
  printf '%s\r\n' "$(winpath "$pictures/Colour field.jpg")"
  printf '%s' "$(winpath "$pictures/Circles.jpg")"
} >"$app/pictora.txt"
# Stretched pictures; the rest as a new user has it.
printf '[setting]\r\nsposob_wyswietlania=0\r\nCRGB_background_R=29\r\nCRGB_background_G=42\r\nCRGB_background_B=77\r\n' \
  >"$app/config.ini"

if [ -n "${DISPLAY:-}" ]; then
  echo "run-demo: starting $app/Pictora.exe on $DISPLAY; close it with \"Close\" in its tray icon's menu."
  VISTELLE_USE_DISPLAY=1 tools/with-xvfb tools/wine-run "$app/Pictora.exe"
  exit $?
fi

# No display: a private one, a screenshot, the composed wallpaper.
controller="$build/vistelle-controller.exe"
[ -f "$controller" ] || { echo "run-demo: $controller is missing (make windows)" >&2; exit 1; }
rm -f "$out/screenshot.png" "$out/pictora.bmp"
cat >"$out/.demo.sh" <<EOF
set -u
. tools/wine-prefix.sh
"\$VISTELLE_WINE64" "$app/Pictora.exe" >"$out/pictora.log" 2>&1 </dev/null &
pid=\$!
ctl() { tools/wine-run "$controller" "\$@" >>"$out/controller.log" 2>&1; }
ctl wait-window 30 + wait-visible 1 10 || exit 1
# The next wallpaper: composes pictora.bmp and previews the picture.
ctl command 5 + sleep 500
import -window root "$out/screenshot.png"
cp "$app/pictora.bmp" "$out/pictora.bmp" 2>/dev/null
ctl command 3
wait \$pid
EOF
: >"$out/controller.log"
tools/with-xvfb bash "$out/.demo.sh"
rm -f "$out/.demo.sh"
echo
if [ -f "$out/screenshot.png" ]; then
  echo "There was no display, so Pictora.exe ran on a private Xvfb screen (1024x768) and was closed again:"
  echo "  $out/screenshot.png  the screen with the main window and the demo library"
  [ -f "$out/pictora.bmp" ] && echo "  $out/pictora.bmp     the wallpaper it composed from the second picture"
  echo "The portable program folder is $app; run it on a display with: DISPLAY=:0 make run"
else
  echo "run-demo: the program did not come up; see $out/pictora.log and $out/controller.log" >&2
  exit 1
fi
