#!/bin/bash
# Nothing lost: an edit is saved a moment after it is made, so a kill a few
# seconds later loses nothing; a portable folder that cannot be written is
# told at start, and at close the program asks before it gives its changes
# up.
#   tests/e2e/program_saving.sh BUILD_DIR CONTROLLER_EXE
set -u
. "$(dirname "$0")/program_lib.sh"

install_program
write_config category=0 current_wallpaper=0
library_before=$(cat "$app/pictora.txt")
start_program
check "the main window appears" ctl wait-window 20 + wait-visible 1 10
check "a folder that can be written is not mentioned" ctl no-box
# Two edits: "meadow" moved to the top, then "Sea" chosen.
ctl select 202 1 + click BUTTON_MOVEUP + select 203 1
ctl sleep 4000
kill -9 "$pictora_pid"
wait "$pictora_pid" 2>/dev/null
pictora_pid=
library=$(tr -d '\r' <"$app/pictora.txt")
check "the edit is in pictora.txt after a kill" test "$(sed -n 2p <<<"$library")" = "$(winpath "$work/pictures/meadow.png")"
check "and nothing else changed in it" test "$(sort <<<"$library")" = "$(tr -d '\r' <<<"$library_before" | sort)"
check "the category chosen is in config.ini (got $(config_value "$app/config.ini" category))" \
  test "$(config_value "$app/config.ini" category)" = 1
check "no file of a save is left" bash -c '! ls "$1" | grep -q -e "\.tmp$" -e "\.saving$"' _ "$app"

# The same folder, read-only, in a mount namespace of the program's own.
# Wine opens files in its server, so the server runs in the namespace too
# (the controller outside reaches it through the prefix's socket).
server() { "$VISTELLE_WINESERVER" "$@" >/dev/null 2>&1 </dev/null; }
if unshare -m true 2>/dev/null; then
  server -k
  timeout 20 "$VISTELLE_WINESERVER" -w >/dev/null 2>&1 </dev/null
  sleep 1
  # The controller must not reach the prefix before the server inside is
  # up: it would start one of its own, outside, and the program would use
  # that (or not start at all).
  rm -f "$work/server-up"
  unshare -m bash -c 'mount --bind "$1" "$1" && mount -o remount,bind,ro "$1" && "$3" -p 5 && touch "$4" &&
    exec "$2" "$1/Pictora.exe"' \
    _ "$app" "$VISTELLE_WINE64" "$VISTELLE_WINESERVER" "$work/server-up" >"$work/pictora.log" 2>&1 </dev/null &
  pictora_pid=$!
  for _ in $(seq 300); do [ -f "$work/server-up" ] || ! kill -0 "$pictora_pid" 2>/dev/null && break; sleep 0.1; done
  ctl wait-window 40
  ctl answer-box 20
  [ -n "$out" ] || { echo "  the program's output:"; sed 's/^/    /' "$work/pictora.log"; }
  check "a folder that cannot be written is told at start ($out)" \
    bash -c '[[ $1 == "Vistelle|Vistelle can'"'"'t save in "*"Changes to the library and the settings will be lost"* ]]' _ "$out"
  check "and not again after an edit" ctl click BUTTON_MOVEDOWN + sleep 3000 + no-box
  ctl post close
  ctl answer-box 10 2
  check "a close asks before the changes are given up ($out)" bash -c '[[ $1 == "Vistelle|Vistelle cannot save "* ]]' _ "$out"
  check "cancel keeps it running" ctl sleep 500 + wait-window 1
  ctl post close
  ctl answer-box 10 11
  wait_program 20
  check "continue closes it (code $program_status)" test "$program_status" = 0
  # A server of the usual kind again for what runs after.
  server -k
  timeout 20 "$VISTELLE_WINESERVER" -w >/dev/null 2>&1 </dev/null
  server -p
else
  echo "skip: no mount namespace here"
fi
finish
