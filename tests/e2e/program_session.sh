#!/bin/bash
# Pictora.exe and time: the minute timer that changes the wallpaper, the
# system's end-of-session notices (saved in full before the answer; a
# cancelled shutdown keeps the program running), and the tray icon after
# Explorer restarts.
#   tests/e2e/program_session.sh BUILD_DIR CONTROLLER_EXE
set -u
. "$(dirname "$0")/program_lib.sh"

install_program
# Change every minute, in sequence, in "Sea"; the last wallpaper was its
# first picture.
write_config zmiana_tapety_co=1 godz_sek=1 co_ile_sek_godz=1 second_counter=0 sposob_wybierania=0 \
  category=1 current_wallpaper=0
start_program
check "the main window appears" ctl wait-window 20 + wait-visible 1 10
ctl minutes
check "the countdown shows 1 minute (got $out)" test "$out" = 1

ctl timer 7
check "a tick of another timer changes nothing" test ! -f "$app/pictora.bmp"
ctl timer 200
check "one tick of the minute timer changes the wallpaper" test -f "$app/pictora.bmp"
ctl list 202
check "to the next picture of the category" test "$out" = $'waves.jpg\nharbour.jpg\nselected 1'
ctl minutes
check "and the countdown starts again (got $out)" test "$out" = 1
first_sum=$(md5sum <"$app/pictora.bmp")
ctl timer 200
check "the next tick goes on, round to the first picture" test "$(md5sum <"$app/pictora.bmp")" != "$first_sum"
ctl list 202
check "which is selected" test "$(tail -1 <<<"$out")" = "selected 0"

# The settings flow saves the settings for the sheet and reads them back.
rm -f "$app/config.ini"
ctl click BUTTON_OPTIONS
check "\"BUTTON_OPTIONS\" saves the settings for the sheet" wait_file "$app/config.ini" 10
check "all of them" config_has_settings "$app/config.ini"
# The sheet, when there is one, is cancelled.
ctl answer-box 5 2 || true
ctl minutes
check "the timer settings stay as they were (got $out)" test "$out" = 1

# A shutdown that another program cancelled: saved, and still running.
rm -f "$app/config.ini" "$app/pictora.txt"
ctl end-session 0
check "WM_ENDSESSION (cancelled) saves config.ini before it answers" config_has_keys "$app/config.ini"
check "and pictora.txt" test -s "$app/pictora.txt"
check "the program keeps running" ctl wait-window 1
ctl tray-icon
check "with its tray icon" test "$out" = present
ctl timer 200
ctl minutes
check "and its timer (got $out)" test "$out" = 1

# Explorer restarts: the icon it lost comes back.
ctl drop-tray-icon
ctl tray-icon
check "the tray icon is gone with Explorer" test "$out" = absent
ctl taskbar-created
ctl tray-icon
check "\"TaskbarCreated\" adds it again" test "$out" = present

# The session ends: everything is on disk before the answer.
rm -f "$app/config.ini" "$app/pictora.txt"
ctl end-session 1
check "WM_ENDSESSION saves config.ini before it answers" config_has_keys "$app/config.ini"
check "with the current category" test "$(config_value "$app/config.ini" category)" = 1
check "and the last wallpaper" test "$(config_value "$app/config.ini" current_wallpaper)" = 1
check "and pictora.txt" test -s "$app/pictora.txt"
wait_program 20
check "then the program ends with code 0 (got $program_status)" test "$program_status" = 0
check "no temporary file is left" test -z "$(ls "$app" | grep -E '\.(tmp|saving)$')"

# The settings come back at the next start: the minute counter too.
sed -i 's/^second_counter=.*/second_counter=0/' "$app/config.ini"
start_program
check "the program starts again" ctl wait-window 20 + wait-visible 1 10
ctl list 202
check "in \"Sea\" at the last wallpaper" test "$out" = $'waves.jpg\nharbour.jpg\nselected 1'
ctl close
wait_program 20
check "WM_CLOSE ends it with code 0 (got $program_status)" test "$program_status" = 0
finish
