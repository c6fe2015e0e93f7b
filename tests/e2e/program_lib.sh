# Shared by the end-to-end tests of Pictora.exe (sourced):
#   tests/e2e/program_*.sh BUILD_DIR CONTROLLER_EXE
# Installs the portable program folder from BUILD_DIR into a fresh folder,
# makes sample pictures and a library, starts the program under Wine and
# drives it with the controller. Run the scripts under tools/with-xvfb (ctest
# does so through "make test"): the program needs a display.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:?usage: $0 BUILD_DIR CONTROLLER_EXE}
controller=${2:?usage: $0 BUILD_DIR CONTROLLER_EXE}
build=$(realpath "$build")
controller=$(realpath "$controller")
. "$root/tools/wine-prefix.sh"
vistelle_make_prefix || { echo "cannot create the Wine prefix" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
  echo "$(basename "$0"): needs a display; run it under tools/with-xvfb" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-program.XXXXXX") || exit 2
app="$work/Vistelle"
pictora_pid=
failures=0
checks=0

cleanup() {
  if [ -n "$pictora_pid" ] && kill -0 "$pictora_pid" 2>/dev/null; then
    kill "$pictora_pid" 2>/dev/null
    wait "$pictora_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

ok() { checks=$((checks + 1)); echo "ok   $*"; }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAIL $*"; }
check() {  # description command...
  local what=$1
  shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
finish() {
  echo "$((checks - failures)) of $checks checks passed"
  [ "$failures" -eq 0 ]
  exit $?
}

# The Windows name of a file here.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# A fresh portable folder, with three pictures in "Mountains" and two in
# "Sea" (and an empty category "Empty").
install_program() {
  rm -rf "$app" "$work/pictures"
  cmake --install "$build" --prefix "$app" >/dev/null || { echo "install failed" >&2; exit 2; }
  mkdir -p "$work/pictures"
  local p="$work/pictures"
  convert -size 320x200 gradient:'#204080-#f0a040' "$p/dawn.jpg"
  convert -size 300x220 gradient:'#0a5020-#c0e080' -fill '#ffffff' -draw 'circle 200,60 220,60' "$p/meadow.png"
  convert -size 256x160 xc:'#602040' -fill '#f0c020' -draw 'rectangle 20,20 120,140' "$p/stripes.bmp"
  convert -size 280x200 gradient:'#003060-#40c0e0' "$p/waves.jpg"
  convert -size 200x300 gradient:'#e0e0ff-#303080' "$p/harbour.jpg"
  {
    printf 'Mountains\r\n%s\r\n%s\r\n%s\r\n\r\n' "$(winpath "$p/dawn.jpg")" "$(winpath "$p/meadow.png")" \
      "$(winpath "$p/stripes.bmp")"
    printf 'Sea\r\n%s\r\n%s\r\n\r\n' "$(winpath "$p/waves.jpg")" "$(winpath "$p/harbour.jpg")"
    printf 'Empty'
  } >"$app/pictora.txt"
}

# config.ini from key=value arguments.
write_config() {
  {
    printf '[setting]\r\n'
    for line in "$@"; do printf '%s\r\n' "$line"; done
  } >"$app/config.ini"
}

# Starts Pictora.exe with the given arguments in the background.
start_program() {
  "$VISTELLE_WINE64" "$app/Pictora.exe" "$@" >"$work/pictora.log" 2>&1 </dev/null &
  pictora_pid=$!
}

# Waits for the program to end; its exit code in $program_status.
wait_program() {
  local seconds=${1:-20} i
  for ((i = 0; i < seconds * 10; i++)); do
    kill -0 "$pictora_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pictora_pid" 2>/dev/null; then
    program_status=timeout
    kill "$pictora_pid" 2>/dev/null
  fi
  wait "$pictora_pid" 2>/dev/null
  local status=$?
  [ "${program_status:-}" = timeout ] || program_status=$status
  pictora_pid=
}

# Runs the controller; its output in $out (stderr in $work/ctl.err).
ctl() {
  "$root/tools/wine-run" "$controller" "$@" >"$work/ctl.out" 2>"$work/ctl.err"
  local status=$?
  out=$(cat "$work/ctl.out")
  out=${out//$'\r'/}
  return $status
}

# Windows programs of the prefix (reg, a setup), their output in $work/wine.out.
wine() { "$VISTELLE_WINE64" "$@" >"$work/wine.out" 2>&1 </dev/null; }
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
reg_query() { wine reg query "$@" && tr -d '\r' <"$work/wine.out" >"$work/reg.txt"; }
# "TYPE    DATA" of one value of the last reg_query.
reg_value() { sed -n "s/^    $1    //p" "$work/reg.txt" | head -1; }
run_value_is() {  # ROOT DATA: the Run value "Pictora" holds DATA
  reg_query "$1\\$run_key" /v Pictora && [ "$(reg_value Pictora)" = "REG_SZ    $2" ]
}
no_run_value() { ! wine reg query "$1\\$run_key" /v Pictora; }

# Until the file exists (or the seconds have passed).
wait_file() {
  local file=$1 seconds=${2:-10} i
  for ((i = 0; i < seconds * 10; i++)); do
    [ -f "$file" ] && return 0
    sleep 0.1
  done
  return 1
}

# Every key of the settings record, and the library's two.
config_keys=(Blur CRGB_background_B CRGB_background_G CRGB_background_R CRGB_mf_B CRGB_mf_G CRGB_mf_R
  CRGB_saturday_B CRGB_saturday_G CRGB_saturday_R CRGB_shadow_B CRGB_shadow_G CRGB_shadow_R CRGB_sunday_B
  CRGB_sunday_G CRGB_sunday_R Cactivecalendar Calpha Ccalendar_background Ccalendar_background_prog
  Ccalendar_background_user Colorize Contrast ContrastInt CoorizeIntB CoorizeIntG CoorizeIntR Cposition
  Cshadow Gray Lighten LightenInt Negativ Noise NoiseInt Pseudocolors Sharpen Smartblur co_ile_sek_godz
  godz_sek second_counter sposob_wybierania sposob_wyswietlania zmiana_tapety_co monitor_mode no_repeat hotkey_next
  hotkey_previous hotkey_random paused wait_fullscreen wait_battery_saver wait_remote hotkey_back hotkey_forward
  hotkey_favourite hotkey_never confirm_never_show category current_wallpaper)
config_has_keys() {
  local file=$1 key
  [ -f "$file" ] || return 1
  for key in "${config_keys[@]}"; do
    grep -qi "^$key=" "$file" || { echo "  $key missing from $(basename "$file")"; return 1; }
  done
}
# The settings alone, without the library's two keys.
config_has_settings() {
  local file=$1 key
  [ -f "$file" ] || return 1
  for key in "${config_keys[@]:0:${#config_keys[@]}-2}"; do
    grep -qi "^$key=" "$file" || { echo "  $key missing from $(basename "$file")"; return 1; }
  done
}
config_value() { grep -i "^$2=" "$1" | head -1 | cut -d= -f2 | tr -d '\r'; }
