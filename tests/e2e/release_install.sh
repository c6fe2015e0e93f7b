#!/bin/bash
# The release as a user gets it, in a Wine prefix of its own (a clean user
# profile): the installer installs silently, over a running copy and over a
# library and settings that it keeps; the uninstaller takes the program away
# and leaves the library and settings; the portable zip starts where it is
# unzipped.
#   tests/e2e/release_install.sh BUILD_DIR CONTROLLER_EXE
# Skips (code 77) when makensis is missing (tools/deps.sh release).
set -u
if ! command -v makensis >/dev/null; then
  echo "SKIP: makensis is missing; tools/deps.sh release installs it"
  exit 77
fi
release_tmp=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-release-test.XXXXXX") || exit 2
export VISTELLE_WINE_ROOT="$release_tmp/wine" VISTELLE_WINEPREFIX="$release_tmp/wine/prefix"
. "$(dirname "$0")/program_lib.sh"

release_cleanup() {
  cleanup
  "$VISTELLE_WINESERVER" -k >/dev/null 2>&1 </dev/null
  timeout 20 "$VISTELLE_WINESERVER" -w >/dev/null 2>&1 </dev/null
  rm -rf "$release_tmp"
}
trap release_cleanup EXIT
# One server for the prefix's programs, as tools/with-xvfb keeps one.
"$VISTELLE_WINESERVER" -k >/dev/null 2>&1 </dev/null
timeout 20 "$VISTELLE_WINESERVER" -w >/dev/null 2>&1 </dev/null
"$VISTELLE_WINESERVER" -p >/dev/null 2>&1 </dev/null

# Until the command succeeds (or the seconds have passed).
wait_until() {
  local seconds=$1 i
  shift
  for ((i = 0; i < seconds * 4; i++)); do
    "$@" && return 0
    sleep 0.25
  done
  return 1
}

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistelle'
key_exists() { wine reg query "$@"; }
key_gone() { ! wine reg query "$@"; }

# --- The release ------------------------------------------------------------
dist="$work/dist"
check "make-release.sh writes the zip and the installer" "$root/tools/release/make-release.sh" "$build" "$dist"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
zip="$dist/Vistelle-$version-win64.zip"
setup="$dist/Vistelle-$version-setup.exe"
[ -f "$zip" ] && [ -f "$setup" ] || { finish; }
for file in "$zip" "$setup"; do
  size=$(stat -c %s "$file")
  check "$(basename "$file") is under 2 MB ($size bytes)" test "$size" -lt $((2 * 1024 * 1024))
done

# --- The portable zip ---------------------------------------------------------
mkdir -p "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
check "the zip holds the one folder Vistelle" test "$(ls -A "$work/unzipped")" = Vistelle
app="$work/unzipped/Vistelle"
for item in Pictora.exe Skin/skin.ini Skin/Main.bmp Calendar/calendar1.jpg README.txt; do
  check "the zip holds Vistelle/$item" test -f "$app/$item"
done
check "README.txt begins with the release's name" test "$(head -1 "$app/README.txt")" = "Vistelle $version"$'\r'
check "its lines end in CR LF" test -z "$(grep -v $'\r$' "$app/README.txt")"
start_program
check "Pictora.exe starts from the unzipped folder" ctl wait-window 20 + wait-visible 1 10
ctl close
wait_program 20
check "and ends on a close with code 0 (got $program_status)" test "$program_status" = 0
check "its settings are written beside it" config_has_settings "$app/config.ini"
# The installed folder must hold exactly what the zip holds.
release_files=$(cd "$app" && find . -type f ! -name README.txt ! -name config.ini ! -name pictora.txt | sort)

# --- A fresh silent installation ------------------------------------------------
for local_appdata in "$WINEPREFIX"/drive_c/users/*/AppData/Local; do
  [[ $local_appdata == */users/Public/* ]] || break
done
user=$(basename "$(dirname "$(dirname "$local_appdata")")")
inst="$local_appdata/Programs/Vistelle"
win_inst="C:\\users\\$user\\AppData\\Local\\Programs\\Vistelle"
shortcut="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vistelle.lnk"

wine "$setup" /S
check "setup /S ends with code 0 (got $?)" test "$?" = 0
check "it installs into %LOCALAPPDATA%\\Programs\\Vistelle" test -f "$inst/Pictora.exe"
installed_files=$(cd "$inst" && find . -type f ! -name Uninstall.exe | sort)
check "the installed files are the release's" test "$installed_files" = "$release_files"
check "and the same bytes" bash -c 'cd "$1" && while read -r f; do cmp -s "$f" "$2/$f" || exit 1; done <<<"$3"' \
  _ "$inst" "$app" "$installed_files"
file_version=$(strings -el "$inst/Pictora.exe" | grep -x -A1 FileVersion | tail -1)
check "Pictora.exe's version resource names the release (got $file_version)" test "$file_version" = "$version"
check "with Uninstall.exe" test -f "$inst/Uninstall.exe"
check "and no library or settings of its own" test ! -e "$inst/config.ini" -a ! -e "$inst/pictora.txt"
check "the Start menu has the shortcut Vistelle.lnk" test -f "$shortcut"
check "the shortcut points at the program" grep -qai "Programs.Vistelle.Pictora.exe" "$shortcut"
check "no start with Windows unless chosen" no_run_value HKCU

if reg_query "$uninstall_key"; then
  ok "the uninstall entry is there"
  expect_value() {  # NAME "TYPE    DATA"
    local got
    got=$(reg_value "$1")
    check "uninstall entry: $1 is ${2//    / } (got ${got//    / })" test "${got,,}" = "${2,,}"
  }
  expect_value DisplayName "REG_SZ    Vistelle"
  expect_value DisplayVersion "REG_SZ    $version"
  expect_value Publisher "REG_SZ    Vistelle"
  expect_value DisplayIcon "REG_SZ    $win_inst\\Pictora.exe,0"
  expect_value UninstallString "REG_SZ    \"$win_inst\\Uninstall.exe\""
  expect_value QuietUninstallString "REG_SZ    \"$win_inst\\Uninstall.exe\" /S"
  expect_value NoModify "REG_DWORD    0x1"
  expect_value NoRepair "REG_DWORD    0x1"
  size=$(reg_value EstimatedSize)
  kb=$(du -sk "$inst" | cut -f1)
  check "uninstall entry: EstimatedSize is a DWORD of the folder's size in KB (${size//    / }, folder $kb KB)" \
    bash -c '[[ $1 == "REG_DWORD    0x"* ]] && s=$(( ${1#REG_DWORD    } )) && [ "$s" -ge $(($2 * 8 / 10)) ] && [ "$s" -le $(($2 * 12 / 10)) ]' \
    _ "$size" "$kb"
else
  fail "the uninstall entry is there"
fi

app=$inst
start_program
check "the installed Pictora.exe starts" ctl wait-window 20 + wait-visible 1 10
ctl close
wait_program 20
check "and ends on a close with code 0 (got $program_status)" test "$program_status" = 0

# --- Installing over it -----------------------------------------------------------
convert -size 320x200 gradient:'#204080-#f0a040' "$work/dawn.jpg"
library=$(printf 'Mountains\r\n%s\r\n\r\nSea' "$(winpath "$work/dawn.jpg")")
printf '%s' "$library" >"$inst/pictora.txt"
write_config co_ile_sek_godz=42 godz_sek=1
config_before=$(cat "$inst/config.ini")
# The settings' start box wrote the start with Windows, as the program does.
wine reg add "HKCU\\$run_key" /v Pictora /t REG_SZ /d "$win_inst\\Pictora.exe hide" /f
wine "$setup" /S
check "setup again over the installation ends with code 0" test "$?" = 0
check "config.ini is kept as it was" test "$(cat "$inst/config.ini")" = "$config_before"
check "pictora.txt is kept as it was" test "$(cat "$inst/pictora.txt")" = "$library"
check "the start with Windows stays chosen" run_value_is HKCU "$win_inst\\Pictora.exe hide"

start_program
check "the program runs" ctl wait-window 20
check "it wrote the start with Windows again, quoted" run_value_is HKCU "\"$win_inst\\Pictora.exe\" hide"
wine "$setup" /S
check "setup over the running program ends with code 0" test "$?" = 0
check "the running program was closed" ctl wait-gone 1
wait_program 10
check "it ended as on a close, with code 0 (got $program_status)" test "$program_status" = 0
check "the settings it saved are kept (co_ile_sek_godz $(config_value "$inst/config.ini" co_ile_sek_godz))" \
  test "$(config_value "$inst/config.ini" co_ile_sek_godz)" = 42
check "the library it saved is kept" bash -c 'tr -d "\r" <"$1" | grep -qx Mountains && tr -d "\r" <"$1" | grep -qx Sea' \
  _ "$inst/pictora.txt"
check "the program is in place again" test -f "$inst/Pictora.exe"

# --- Uninstalling -------------------------------------------------------------------
config_before=$(cat "$inst/config.ini")
library=$(cat "$inst/pictora.txt")
printf 'BM' >"$inst/pictora.bmp"
# An entry of an earlier version for the whole machine.
wine reg add "HKLM\\$run_key" /v Pictora /t REG_SZ /d "\"$win_inst\\Pictora.exe\" hide" /f
start_program
check "the program runs before the uninstall" ctl wait-window 20
# The uninstaller runs from a copy of itself and ends before it; what it
# does last is removing the start with Windows.
wine "$inst/Uninstall.exe" /S
check "Uninstall.exe /S ends with code 0" test "$?" = 0
wait_until 60 no_run_value HKLM
wait_program 10
check "the running program was closed, with code 0 (got $program_status)" test "$program_status" = 0
check "Pictora.exe is gone" test ! -e "$inst/Pictora.exe"
check "Skin and Calendar are gone" test ! -e "$inst/Skin" -a ! -e "$inst/Calendar"
check "Uninstall.exe is gone" test ! -e "$inst/Uninstall.exe"
check "the shortcut is gone" test ! -e "$shortcut"
check "the uninstall entry is gone" key_gone "$uninstall_key"
check "the start with Windows is gone" no_run_value HKCU
check "and the machine's entry for this copy" no_run_value HKLM
check "config.ini stays" test "$(cat "$inst/config.ini")" = "$config_before"
check "pictora.txt stays" test "$(cat "$inst/pictora.txt")" = "$library"
check "pictora.bmp stays" test -f "$inst/pictora.bmp"
check "nothing else is left" test "$(ls -A "$inst" | sort | tr '\n' ' ')" = "config.ini pictora.bmp pictora.txt "
finish
