#!/bin/bash
# Pictora.exe from its portable folder: a visible start with no config.ini,
# one copy at a time, the lists and the countdown, the tray's wallpaper
# commands, hiding and showing, and the close through the tray menu.
#   tests/e2e/program_start.sh BUILD_DIR CONTROLLER_EXE
set -u
. "$(dirname "$0")/program_lib.sh"

install_program
library_before=$(cat "$app/pictora.txt")
start_program
check "the main window appears" ctl wait-window 20
check "it is shown" ctl wait-visible 1 10
ctl minutes
check "with no config.ini the countdown shows 599 minutes (got $out)" test "$out" = 599
ctl list 203
check "the category list shows the library, the first category selected" \
  test "$out" = $'Mountains\nSea\nEmpty\nselected 0'
ctl list 202
check "the picture list shows its pictures by name, the first selected" \
  test "$out" = $'dawn.jpg\nmeadow.png\nstripes.bmp\nselected 0'
check "nothing is composed at a visible start" test ! -f "$app/pictora.bmp"

# A second copy ends at once, with code 0, and leaves the first alone.
"$VISTELLE_WINE64" "$app/Pictora.exe" >"$work/second.log" 2>&1 </dev/null
second=$?
check "a second start ends with code 0 (got $second)" test "$second" = 0
check "the first copy keeps running" kill -0 "$pictora_pid"
check "its window is still there" ctl wait-window 1

# The tray's next, previous and random commands each compose the wallpaper.
ctl command 5
check "\"Set next wallpaper\" composes pictora.bmp" test -f "$app/pictora.bmp"
ctl list 202
check "and selects the next picture" test "$(tail -1 <<<"$out")" = "selected 1"
next_sum=$(md5sum <"$app/pictora.bmp")
rm -f "$app/pictora.bmp"
ctl command 6
check "\"Set previous wallpaper\" composes it again" test -f "$app/pictora.bmp"
check "from another picture" test "$(md5sum <"$app/pictora.bmp")" != "$next_sum"
ctl list 202
check "the first one" test "$(tail -1 <<<"$out")" = "selected 0"
rm -f "$app/pictora.bmp"
ctl command 8
check "\"Random wallpaper\" composes it" test -f "$app/pictora.bmp"
check "without a message" ctl no-box

# Choosing a category in the list shows its pictures.
ctl select 203 1
ctl list 202
check "selecting \"Sea\" lists its pictures" test "$out" = $'waves.jpg\nharbour.jpg\nselected 0'
ctl select 203 2
ctl list 202
check "the empty category lists nothing" test "$out" = "selected -1"
ctl post command 5
ctl answer-box 10
check "a next wallpaper with nothing selected asks for a file ($out)" \
  test "$out" = "Communicat|Please select a file."
ctl select 203 0

# The skin's exit button hides the window; the tray brings it back.
ctl click BUTTON_EXIT
check "\"BUTTON_EXIT\" hides the window" ctl wait-visible 0 10
check "the program keeps running" kill -0 "$pictora_pid"
ctl tray-icon
check "with its tray icon" test "$out" = present
ctl command 1
check "the tray's \"Open\" shows it again" ctl wait-visible 1 10
ctl tray 513
check "a left click on the tray icon hides a shown window" ctl wait-visible 0 10
ctl tray 513
check "and shows a hidden one" ctl wait-visible 1 10

# "Close" saves the settings and the library and ends the program.
rm -f "$app/config.ini"
ctl command 3
wait_program 20
check "\"Close\" ends the program with code 0 (got $program_status)" test "$program_status" = 0
check "config.ini holds every setting and the selection" config_has_keys "$app/config.ini"
check "the minute counter is saved, 0 after the changes ($(config_value "$app/config.ini" second_counter))" \
  test "$(config_value "$app/config.ini" second_counter)" = 0
check "category 0 is remembered" test "$(config_value "$app/config.ini" category)" = 0
check "the last wallpaper is remembered" test "$(config_value "$app/config.ini" current_wallpaper)" = 0
check "pictora.txt is written back unchanged" test "$(cat "$app/pictora.txt")" = "$library_before"
check "no temporary file is left" test -z "$(ls "$app" | grep -E '\.(tmp|saving)$')"

# The tray's "Back" and "Forward" go through the wallpapers shown, over a
# restart too, and leave the lists alone; "Add to favourites" keeps the one
# shown in a category of its own.
start_program
check "it starts again" ctl wait-window 20
for _ in $(seq 50); do ctl list 202 && break; ctl sleep 200; done
ctl command 5
first=$(md5sum <"$app/pictora.bmp")
ctl command 5
second=$(md5sum <"$app/pictora.bmp")
ctl command 10
check "\"Back\" shows the wallpaper before again" test "$(md5sum <"$app/pictora.bmp")" = "$first"
ctl list 202
check "the picture list keeps its selection" test "$(tail -1 <<<"$out")" = "selected 2"
ctl command 12
ctl command 3
wait_program 20
check "\"Add to favourites\" keeps it in \"Favourites\"" \
  grep -q "^Favourites"$'\r'"\$" "$app/pictora.txt" -a "$(tail -c 200 "$app/pictora.txt" | grep -c meadow.png)" = 1
check "the others are as they were" test "$(head -c ${#library_before} "$app/pictora.txt")" = "$library_before"
start_program
check "and it starts once more" ctl wait-window 20
for _ in $(seq 50); do ctl list 202 && break; ctl sleep 200; done
ctl command 11
check "\"Forward\" after a restart shows the wallpaper that came after" \
  test "$(md5sum <"$app/pictora.bmp")" = "$second"
# "Never show this picture" asks, then takes stripes.bmp out of "Mountains"
# and changes; "Undo never show" puts it back where it was.
ctl post command 13
ctl answer-box 10 6
check "\"Never show this picture\" asks first ($out)" grep -q "will not show this picture again" <<<"$out"
check "and changes the wallpaper" ctl sleep 500 + no-box
check "to another picture" test "$(md5sum <"$app/pictora.bmp")" != "$second"
ctl list 202
check "the picture leaves the list ($(head -3 <<<"$out" | tr '\n' ' '))" test "$(head -3 <<<"$out")" = $'dawn.jpg\nmeadow.png\nselected 0'
ctl command 14
ctl list 202
check "\"Undo never show\" puts it back" test "$(head -3 <<<"$out")" = $'dawn.jpg\nmeadow.png\nstripes.bmp'
check "the file was never touched" test -f "$work/pictures/stripes.bmp"
ctl command 3
wait_program 20
check "pictora.txt holds it again" test "$(head -c ${#library_before} "$app/pictora.txt")" = "$library_before"
finish
