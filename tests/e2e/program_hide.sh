#!/bin/bash
# Pictora.exe started with the system: exactly "hide" starts it hidden and,
# when the settings say so, changes the wallpaper once; anything else is a
# normal visible start without a change.
#   tests/e2e/program_hide.sh BUILD_DIR CONTROLLER_EXE
set -u
. "$(dirname "$0")/program_lib.sh"

install_program
# Change at system start (mode 0), in sequence, in "Mountains" after its
# second picture.
write_config zmiana_tapety_co=0 sposob_wybierania=0 category=0 current_wallpaper=1
start_program hide
check "\"hide\": the main window is created" ctl wait-window 20
check "the wallpaper is composed once at start" wait_file "$app/pictora.bmp" 20
ctl visible
check "the window stays hidden" test "$out" = hidden
ctl tray-icon
check "the tray icon is there" test "$out" = present
ctl list 202
check "the next picture after the last wallpaper is selected" test "$(tail -1 <<<"$out")" = "selected 2"
ctl command 1
check "the tray's \"Open\" shows the window" ctl wait-visible 1 10
ctl command 3
wait_program 20
check "\"Close\" ends it with code 0 (got $program_status)" test "$program_status" = 0
check "the new wallpaper is remembered" test "$(config_value "$app/config.ini" current_wallpaper)" = 2

# A rule of the schedule that holds all day, every day, names "Sea": the
# change at start comes from it, and the user's category and selection stay.
write_config zmiana_tapety_co=0 sposob_wybierania=0 category=0 current_wallpaper=1 Cactivecalendar=0 \
  '[schedule]' rules=1 rule1_category=Sea rule1_from=00:00 rule1_to=00:00 rule1_days=MTWTFSS
start_program hide
check "with a schedule: the main window is created" ctl wait-window 20
check "the wallpaper is composed at start" wait_file "$app/pictora.bmp" 20
# The lists are made after the window, once the skin is loaded.
for _ in $(seq 50); do ctl list 203 && break; ctl sleep 200; done
check "the category list keeps \"Mountains\" selected ($(tail -1 <<<"$out"))" test "$(tail -1 <<<"$out")" = "selected 0"
ctl list 202
check "and the picture list its selection" test "$(tail -1 <<<"$out")" = "selected 1"
ctl close
wait_program 20
top=$(convert "$app/pictora.bmp" -format "%[pixel:p{512,2}]" info: 2>/dev/null)
IFS='(,)' read -r _ red green blue <<<"$top"
check "the wallpaper is the first of \"Sea\" (top $top, waves.jpg begins #003060)" \
  test "${red:-255}" -lt 8 -a "${green:-0}" -gt 40 -a "${green:-0}" -lt 56 -a "${blue:-0}" -gt 88 -a "${blue:-0}" -lt 104
check "its place in \"Sea\" is remembered" test "$(config_value "$app/config.ini" category1)" = Sea -a \
  "$(config_value "$app/config.ini" position1)" = 0
check "the user's wallpaper position stays" test "$(config_value "$app/config.ini" current_wallpaper)" = 1
rm -f "$app/pictora.bmp"

for argument in HIDE " hide" "hide x" ""; do
  rm -f "$app/pictora.bmp"
  if [ "$argument" = "hide x" ]; then start_program hide x
  elif [ -z "$argument" ]; then start_program
  else start_program "$argument"; fi
  check "\"$argument\": the window is shown" ctl wait-window 20 + wait-visible 1 10
  ctl sleep 500
  check "\"$argument\": no wallpaper change" test ! -f "$app/pictora.bmp"
  ctl close
  wait_program 20
  check "\"$argument\": the program ends with code 0 (got $program_status)" test "$program_status" = 0
done

# With change mode 1 a hidden start changes nothing; without a category
# neither.
write_config zmiana_tapety_co=1 category=0
start_program hide
check "\"hide\" in change mode 1: the program starts" ctl wait-window 20 + sleep 1000
check "no change at start" test ! -f "$app/pictora.bmp"
ctl visible
check "hidden" test "$out" = hidden
ctl close
wait_program 20
write_config zmiana_tapety_co=0 category=-1
start_program hide
check "\"hide\" with no category: the program starts" ctl wait-window 20 + sleep 1000
check "no change at start" test ! -f "$app/pictora.bmp"
ctl post command 8
ctl answer-box 10
check "the tray's random command asks for a category ($out)" test "$out" = "Communicat|Please select a category."
ctl close
wait_program 20

# The change at start in fill and fit: "dawn.jpg" (320x200) on the 1024x768
# screen covers it whole, or leaves bars of the background colour above and
# below.
pixel() { convert "$app/pictora.bmp" -format "%[pixel:p{$1,$2}]" info: 2>/dev/null; }
for mode in 3 4; do
  rm -f "$app/pictora.bmp"
  write_config zmiana_tapety_co=0 sposob_wyswietlania=$mode category=0 current_wallpaper=2 Cactivecalendar=0 \
    CRGB_background_R=255 CRGB_background_G=0 CRGB_background_B=0
  start_program hide
  check "mode $mode: the wallpaper is composed at start" wait_file "$app/pictora.bmp" 20
  ctl close
  wait_program 20
  check "mode $mode: at the screen's size" test "$(identify -format '%wx%h' "$app/pictora.bmp")" = 1024x768
  if [ $mode = 3 ]; then
    check "fill: the picture reaches the top edge (got $(pixel 512 4))" test "$(pixel 512 4)" != "srgb(255,0,0)"
    check "and the sides" test "$(pixel 2 384)" != "srgb(255,0,0)"
  else
    check "fit: a bar of the background colour at the top (got $(pixel 512 4))" test "$(pixel 512 4)" = "srgb(255,0,0)"
    check "and at the bottom" test "$(pixel 512 764)" = "srgb(255,0,0)"
    check "the picture fills the width (got $(pixel 2 384))" test "$(pixel 2 384)" != "srgb(255,0,0)"
  fi
done
# The start with Windows as earlier versions wrote it, unquoted, for a copy
# in a folder with a space: a normal start writes it again quoted, and
# started as Windows starts it (CreateProcess of the value's text) it starts
# the program hidden, which changes the wallpaper.
app="$work/My Programs/Vistelle"
install_program
write_config zmiana_tapety_co=0 sposob_wybierania=0 category=0 current_wallpaper=1
win_app=$(winpath "$app")
wine reg add "HKCU\\$run_key" /v Pictora /t REG_SZ /d "$win_app\\Pictora.exe hide" /f
start_program
check "a copy in a folder with a space starts" ctl wait-window 20
ctl close
wait_program 20
check "its start with Windows is quoted now" run_value_is HKCU "\"$win_app\\Pictora.exe\" hide"
check "started as Windows starts it" ctl run-start-entry + wait-window 20
check "it changes the wallpaper" wait_file "$app/pictora.bmp" 20
ctl visible
check "and stays hidden" test "$out" = hidden
ctl close + wait-gone 20
wine reg delete "HKCU\\$run_key" /v Pictora /f
finish
