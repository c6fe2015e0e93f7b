#!/bin/bash
# Pictora.exe left alone in the tray: what a killed save left behind goes at
# the next start; a category whose pictures went away gives one message at a
# time however many ticks come, and a close or the end of the session while
# it is open does what it should; a skin that cannot be read ends the program
# with one message instead of a window nobody can use.
#   tests/e2e/program_unattended.sh BUILD_DIR CONTROLLER_EXE
set -u
. "$(dirname "$0")/program_lib.sh"

install_program

# --- What a save cut short left ---------------------------------------------
leftovers=(config.ini.saving config.ini.saving.tmp config.ini.tmp pictora.txt.tmp pictora.bmp.tmp)
for name in "${leftovers[@]}"; do printf 'half written' >"$app/$name"; done
printf 'mine' >"$app/notes.tmp"
start_program
check "the program starts" ctl wait-window 20
left=0
for name in "${leftovers[@]}"; do [ -e "$app/$name" ] && left=$((left + 1)); done
check "the temporary files of its own saving are gone ($left left)" test "$left" = 0
check "a file of the user's with a like name stays" test "$(cat "$app/notes.tmp")" = mine
ctl close
wait_program 20
check "and it closes with code 0 (got $program_status)" test "$program_status" = 0

# --- A category whose pictures went away --------------------------------------
gone="$work/usb-stick"
printf 'Gone\r\n%s\r\n%s' "$(winpath "$gone/one.jpg")" "$(winpath "$gone/two.jpg")" >"$app/pictora.txt"
write_config zmiana_tapety_co=1 godz_sek=1 co_ile_sek_godz=1 second_counter=0 category=0 current_wallpaper=0
start_program
check "the program starts on it" ctl wait-window 20
# The preview of the remembered picture cannot be made either.
ctl answer-box 10
check "the preview tells of its missing picture (got $out)" test "$out" = "Vistelle|Error. The file doesn't exist."
rm -f "$app/pictora.bmp"
ctl post timer 200
ctl wait-box 10
ctl boxes
check "a tick onto a missing picture shows one message (got $out)" test "$out" = 1
check "after the wallpaper was composed again (from the picture before)" test -f "$app/pictora.bmp"
for i in 1 2 3 4; do ctl post timer 200; done
ctl sleep 500
ctl boxes
check "four more ticks while it is open add no message (got $out)" test "$out" = 1
ctl minutes
check "but the minutes go on being counted (got $out)" test "$out" = -3

config_before=$(md5sum <"$app/config.ini")
ctl post command 3
ctl sleep 500
check "a tray Close while the message is open waits for it" ctl wait-window 1
check "and saves nothing yet" test "$(md5sum <"$app/config.ini")" = "$config_before"
ctl answer-box 10
check "the message is the one of the missing file (got $out)" test "$out" = "Vistelle|Error. The file doesn't exist."
wait_program 20
check "once it is closed the program closes, with code 0 (got $program_status)" test "$program_status" = 0
check "having saved the change that came before the close" \
  test "$(config_value "$app/config.ini" current_wallpaper)" = 1
check "and the minutes counted meanwhile" test "$(config_value "$app/config.ini" second_counter)" = 4

# --- The end of the session while the settings sheet is open ---------------
write_config zmiana_tapety_co=0 category=0 current_wallpaper=0 sposob_wyswietlania=2
start_program
check "the program starts again" ctl wait-window 20
ctl answer-box 10 >/dev/null
ctl post command 7
check "the settings sheet opens" ctl wait-box 10
rm -f "$app/config.ini"
ctl end-session 1
check "WM_ENDSESSION saves at once, the sheet open" config_has_keys "$app/config.ini"
saved=$(md5sum <"$app/config.ini")
ctl answer-box 10 1 >/dev/null  # OK on the sheet, which would save its settings
wait_program 20
check "when the sheet is closed the program ends, with code 0 (got $program_status)" test "$program_status" = 0
check "and nothing was written after the session's save" test "$(md5sum <"$app/config.ini")" = "$saved"
check "no temporary file is left" test -z "$(ls "$app" | grep -E '\.(tmp|saving)$' | grep -v notes.tmp)"

# --- A skin that cannot be read -------------------------------------------------
# Starts the program and expects one box naming the file, then exit code 1.
expect_broken_skin() {  # what file
  start_program
  ctl answer-box 20
  check "$1 is told in one box naming it (got $out)" \
    test "$out" = "Error|The skin cannot be read:"$'\n'"$(winpath "$2")"
  wait_program 20
  check "and the program ends with code 1 (got $program_status)" test "$program_status" = 1
}

install_program
library_before=$(md5sum <"$app/pictora.txt")
mv "$app/Skin/skin.ini" "$app/Skin/skin.ini.away"
expect_broken_skin "a missing skin.ini" "$app/Skin/skin.ini"
check "without touching the library" test "$(md5sum <"$app/pictora.txt")" = "$library_before"
check "or the settings" test ! -e "$app/config.ini"

mv "$app/Skin/skin.ini.away" "$app/Skin/skin.ini"
printf 'not a picture' >"$app/Skin/Main.bmp"
expect_broken_skin "a broken Main picture" "$app/Skin/Main.bmp"
finish
