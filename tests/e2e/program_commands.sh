#!/bin/bash
# Pictora.exe told what to do from outside: a second start shows the running
# copy, "/next" and the like change its wallpaper, "/pause" stops the timer's
# changes (the real timer's), a change held by the surroundings comes once
# they let it (the surroundings told through VISTELLE_TEST_SURROUNDINGS), and
# after a resume the desktop gets the program's wallpaper back.
#   tests/e2e/program_commands.sh BUILD_DIR CONTROLLER_EXE
set -u
. "$(dirname "$0")/program_lib.sh"

# A second start of the program; its exit code in $second.
second() {
  "$VISTELLE_WINE64" "$app/Pictora.exe" "$@" >"$work/second.log" 2>&1 </dev/null
  second=$?
}
wallpaper_sum() { md5sum <"$app/pictora.bmp" 2>/dev/null; }
# The sum once a change answered at once has been carried out: the same
# over a second.
settled_sum() {
  local last now
  last=$(wallpaper_sum)
  for _ in $(seq 20); do
    sleep 1
    now=$(wallpaper_sum)
    [ "$now" = "$last" ] && break
    last=$now
  done
  echo "$last"
}
selected() { ctl list "$1" && tail -1 <<<"$out"; }

install_program
# Every minute, in sequence, in "Mountains" after its first picture; no
# change at the hidden start (change mode 1).
write_config zmiana_tapety_co=1 godz_sek=1 co_ile_sek_godz=1 second_counter=0 sposob_wybierania=0 category=0 \
  current_wallpaper=0
surroundings="$work/surroundings.txt"
: >"$surroundings"
export VISTELLE_TEST_SURROUNDINGS="$(winpath "$surroundings")"
start_program hide
check "started hidden" ctl wait-window 20
second
check "a second start ends with code 0 (got $second)" test "$second" = 0
check "and shows the running copy" ctl wait-visible 1 10

second /next
check "/next ends with code 0 (got $second)" test "$second" = 0
check "and changes the wallpaper" wait_file "$app/pictora.bmp" 10
check "to the next picture" test "$(selected 202)" = "selected 1"
before=$(wallpaper_sum)
second -PREVIOUS
check "-PREVIOUS changes it back (code $second)" bash -c '[ "$1" = 0 ] && [ "$2" = "selected 0" ]' _ "$second" \
  "$(ctl sleep 300 + list 202 && tail -1 <<<"$out")"
check "and composes again" test "$(wallpaper_sum)" != "$before"
second /category Sea
check "/category Sea ends with code 0 (got $second)" test "$second" = 0
ctl sleep 300
check "and chooses \"Sea\"" test "$(selected 203)" = "selected 1"
second /random
check "/random ends with code 0 (got $second)" test "$second" = 0
for bad in "/category Nowhere" "/fly" "/next now"; do
  before=$(settled_sum)
  second $bad
  check "$bad ends with code 1 (got $second)" test "$second" = 1
  check "and changes nothing" test "$(wallpaper_sum)" = "$before"
done

# Paused, the real timer changes nothing; resumed, it does again.
second /pause
check "/pause ends with code 0 (got $second)" test "$second" = 0
ctl sleep 500 + minutes
paused_minutes=$out
before=$(wallpaper_sum)
ctl sleep 65000
check "paused: a minute of the real timer changes nothing" test "$(wallpaper_sum)" = "$before"
ctl minutes
check "and counts no minute (got $out, was $paused_minutes)" test "$out" = "$paused_minutes"
second /resume
check "/resume ends with code 0 (got $second)" test "$second" = 0
changed_in_time() {
  local i
  for ((i = 0; i < 70; i++)); do
    [ "$(wallpaper_sum)" != "$before" ] && return 0
    sleep 1
  done
  return 1
}
check "resumed: the real timer changes the wallpaper again" changed_in_time

# The tray's "Pause changes" does the same.
ctl command 9
before=$(wallpaper_sum)
ctl timer 200 + timer 200
check "the tray's \"Pause changes\" stops the timer's changes" test "$(wallpaper_sum)" = "$before"
ctl command 9

# A full-screen program: the change that falls due waits, and comes once.
echo full-screen >"$surroundings"
before=$(wallpaper_sum)
ctl timer 200 + timer 200
check "a change due under a full-screen program waits" test "$(wallpaper_sum)" = "$before"
: >"$surroundings"
ctl timer 240
check "and comes once the program has gone" test "$(wallpaper_sum)" != "$before"
before=$(wallpaper_sum)
ctl timer 240
check "once only" test "$(wallpaper_sum)" = "$before"

# Another wallpaper set behind the program's back: after a resume from sleep
# the desktop shows the program's again.
ours=$(ctl wallpaper && echo "$out")
ctl set-wallpaper 'C:\windows\other.bmp' + power-resume + wallpaper
check "after a resume the desktop shows the program's wallpaper again ($out)" test "$out" = "$ours"

second /close
check "/close ends with code 0 (got $second)" test "$second" = 0
wait_program 20
check "and the running copy ends (code $program_status)" test "$program_status" = 0

# No copy running: /next starts one, hidden, that changes once and stays.
rm -f "$app/pictora.bmp"
start_program /next
check "/next with no copy running starts one" ctl wait-window 20
check "which changes the wallpaper" wait_file "$app/pictora.bmp" 10
ctl visible
check "and stays hidden" test "$out" = hidden
second /close
wait_program 20
check "/close ends it (code $program_status)" test "$program_status" = 0
second /close
check "/close with no copy running does nothing and ends with 0 (got $second)" test "$second" = 0
finish
