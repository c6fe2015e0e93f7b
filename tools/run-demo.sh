#!/usr/bin/env bash
# What "make run" shows for now: a wallpaper composed from a sample picture,
# once by the native composer and once by the Windows build under Wine, and
# where the results are.
set -euo pipefail
cd "$(dirname "$0")/.."
out=out
mkdir -p "$out"

sample="$out/sample.jpg"
if [ ! -f "$sample" ]; then
  convert -size 1600x1000 gradient:'#1b3a6b'-'#e8a33d' \
    -fill '#ffffff' -draw 'circle 1150,330 1150,250' \
    -fill '#20324f' -draw 'polygon 0,1000 420,560 760,820 1100,520 1600,1000' \
    -quality 92 "$sample"
fi
printf '[setting]\r\nsposob_wyswietlania=2\r\nCRGB_background_R=30\r\nCRGB_background_G=30\r\nCRGB_background_B=40\r\n' \
  > "$out/config.ini"

build/native/vistelle-compose --config "$out/config.ini" --screen 1920x1080 --data data \
  "$sample" -o "$out/pictora-native.bmp"

# The Windows composer, from a portable folder like the one users unzip.
rm -rf "$out/Vistelle"
cmake --install build/windows --prefix "$out/Vistelle" >/dev/null
cp build/windows/vistelle-compose.exe "$out/Vistelle/"
cp "$sample" "$out/config.ini" "$out/Vistelle/"
tools/with-xvfb tools/wine-run "$out/Vistelle/vistelle-compose.exe" --config "$out/Vistelle/config.ini" \
  --screen 1920x1080 --data "$out/Vistelle" "$out/Vistelle/sample.jpg" -o "$out/pictora-windows.bmp"

convert "$out/pictora-windows.bmp" "$out/pictora-windows.png"
echo
echo "Composed wallpapers (1920x1080, centred on a dark background):"
echo "  $out/pictora-native.bmp   (native composer)"
echo "  $out/pictora-windows.bmp  (Windows build under Wine; PNG copy: $out/pictora-windows.png)"
echo "The portable program folder is $out/Vistelle."
