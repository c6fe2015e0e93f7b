#!/bin/bash
# The release as a user gets it, in a Wine prefix of its own (a clean user
# profile). It is signed with a certificate made here: Pictora.exe, the setup
# and the Uninstall.exe that setup installs verify against it; SHA256SUMS
# checks and the package manager manifests validate against the format's
# schemas (tests/data/winget-schemas) with the setup's SHA-256. A certificate
# that cannot be used fails the release and leaves nothing of it; without one
# the release is unsigned and says so. The installer installs silently, over
# a running copy and over a library and settings that it keeps, and registers
# the program under App Paths; the uninstaller takes the program away, puts
# the user's wallpaper style back and leaves the library and settings; the
# portable zip starts where it is unzipped. Setup refuses Windows before
# 10 version 1903; a file that another program holds open fails setup and
# the uninstaller loudly, with the installation left in place; a folder given
# with /D= that holds other things gets a Vistelle folder inside.
#   tests/e2e/release_install.sh BUILD_DIR CONTROLLER_EXE
# Skips (code 77) when makensis, osslsigncode, openssl or Python's yaml and
# jsonschema are missing (tools/deps.sh release).
set -u
python=/usr/bin/python3
[ -x "$python" ] || python=python3
for tool in makensis osslsigncode openssl; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing; tools/deps.sh release installs it"
    exit 77
  fi
done
if ! "$python" -c 'import yaml, jsonschema' 2>/dev/null; then
  echo "SKIP: Python's yaml or jsonschema is missing; tools/deps.sh release installs them"
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
desktop_key='HKCU\Control Panel\Desktop'
saved_style_key='HKCU\Software\Vistelle\SavedWallpaperStyle'
# The user's style kept by the program, and the span style on the desktop.
spanned_over() {  # WALLPAPER_STYLE TILE_WALLPAPER
  wine reg add "$saved_style_key" /v WallpaperStyle /t REG_SZ /d "$1" /f &&
    wine reg add "$saved_style_key" /v TileWallpaper /t REG_SZ /d "$2" /f &&
    wine reg add "$desktop_key" /v WallpaperStyle /t REG_SZ /d 22 /f &&
    wine reg add "$desktop_key" /v TileWallpaper /t REG_SZ /d 0 /f
}
desktop_style_is() {  # WALLPAPER_STYLE TILE_WALLPAPER
  reg_query "$desktop_key" && [ "$(reg_value WallpaperStyle)" = "REG_SZ    $1" ] &&
    [ "$(reg_value TileWallpaper)" = "REG_SZ    $2" ]
}

# Another program keeps FILE open (60 s at most), as setup cannot close it.
hold_pid=
hold_file() {
  "$VISTELLE_WINE64" "$controller" hold "$(winpath "$1")" 60 >"$work/hold.out" 2>&1 </dev/null &
  hold_pid=$!
  wait_until 20 grep -qs held "$work/hold.out"
}
release_file() { kill "$hold_pid" 2>/dev/null; wait "$hold_pid" 2>/dev/null; hold_pid=; }

# --- The release, signed -------------------------------------------------------
# A code-signing certificate of our own; its password file ends its line as an
# editor writes it.
cert="$release_tmp/cert"
mkdir -p "$cert"
printf 'open sesame\n' >"$cert/password"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$cert/key.pem" -out "$cert/cert.pem" -days 2 \
  -subj "/CN=Vistelle test signing" -addext "keyUsage=critical,digitalSignature,keyCertSign" \
  -addext "extendedKeyUsage=codeSigning" >"$work/openssl.log" 2>&1 &&
  openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/test.pfx" \
    -passout "pass:open sesame" >>"$work/openssl.log" 2>&1 ||
  { cat "$work/openssl.log"; fail "a test certificate is made"; finish; }
release_url=https://downloads.example.org/vistelle/2.0/
make_release() {  # OUT_DIR [NAME=VALUE...]: the release in OUT_DIR, its output in $work/release.log
  env "${@:2}" "$root/tools/release/make-release.sh" "$build" "$1" >"$work/release.log" 2>&1
}
# Whether FILE carries a SHA-256 signature that verifies with the test root.
signed() {
  osslsigncode verify -CAfile "$cert/cert.pem" -in "$1" >"$work/verify.log" 2>&1 </dev/null &&
    grep -q '^Message digest algorithm  : SHA256' "$work/verify.log"
}
dist="$work/dist"
check "make-release.sh with a certificate writes the zip and the installer" \
  make_release "$dist" SIGN_PFX="$cert/test.pfx" SIGN_PASSWORD_FILE="$cert/password" RELEASE_URL="$release_url"
check "and says so in one line" test "$(grep -c '^Signed' "$work/release.log")" = 1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
zip="$dist/Vistelle-$version-win64.zip"
setup="$dist/Vistelle-$version-setup.exe"
[ -f "$zip" ] && [ -f "$setup" ] || { cat "$work/release.log"; finish; }
# Small downloads: the skin drawn at seven scalings and the caption's font
# take them past 2 MB, not past 3.
for file in "$zip" "$setup"; do
  size=$(stat -c %s "$file")
  check "$(basename "$file") is under 3 MB ($size bytes)" test "$size" -lt $((3 * 1024 * 1024))
done
check "the setup is signed (SHA-256, the test certificate)" signed "$setup"
check "with no timestamp when none is asked for" grep -q '^Timestamp is not available' "$work/verify.log"

# The checksums and the package manager's manifests.
check "SHA256SUMS names the zip and the setup" \
  test "$(awk '{print $2}' "$dist/SHA256SUMS" | sort | tr '\n' ' ')" = "$(basename "$setup") $(basename "$zip") "
check "and sha256sum -c passes" bash -c 'cd "$1" && sha256sum --quiet -c SHA256SUMS' _ "$dist"
winget_valid() {  # MANIFEST_DIR SETUP [VALUES_FILE]: valid; their values in $work/winget.txt
  "$python" "$root/tests/e2e/winget_check.py" "$root/tests/data/winget-schemas" "$1" "$2" >"${3:-$work/winget.txt}"
}
manifest_has() { grep -qxF "$1" "$work/winget.txt"; }
check "the three winget manifests validate and name the setup's SHA-256" winget_valid "$dist/winget" "$setup"
for value in installer.Scope=user installer.InstallerType=nullsoft installer.InstallerSwitches.Silent=/S \
  installer.InstallerSwitches.SilentWithProgress=/S installer.MinimumOSVersion=10.0.18362.0 \
  "installer.Installers.0.InstallerUrl=${release_url%/}/$(basename "$setup")" \
  defaultLocale.Publisher=Vistelle defaultLocale.PackageName=Vistelle; do
  check "the manifests say $value" manifest_has "$value"
done
ls "$root" | grep -qiE '^(licen[cs]e|copying)' ||
  check "the licence is Proprietary, as the project has no licence file" manifest_has defaultLocale.License=Proprietary
# With a licence file, its SPDX identifier.
printf 'Copyright (C) Vistelle\n// SPDX-License-Identifier: MIT\n' >"$work/LICENSE"
"$python" "$root/tools/release/winget-manifests.py" --version "$version" --setup "$setup" --url "$release_url" \
  --company Vistelle --copyright "Copyright (C) Vistelle" --licence "$work/LICENSE" --out "$work/licence-winget"
check "a licence file's SPDX identifier is the licence" \
  grep -qx 'License: MIT' "$work/licence-winget/Vistelle.Vistelle.locale.en-US.yaml"

# --- Releases that are not signed ---------------------------------------------------
unsigned="$work/dist-unsigned"
check "make-release.sh without a certificate makes the release too" make_release "$unsigned"
check "and says in one line that it is unsigned" test "$(grep -c '^Unsigned' "$work/release.log")" = 1
unsigned_setup="$unsigned/$(basename "$setup")"
check "its setup carries no signature" bash -c '! osslsigncode verify -in "$1" >/dev/null 2>&1 </dev/null' _ "$unsigned_setup"
own_sums() { (cd "$unsigned" && sha256sum --quiet -c SHA256SUMS) && winget_valid "$unsigned/winget" "$unsigned_setup" "$work/winget-unsigned.txt"; }
check "its checksums and manifests are its own" own_sums
# A certificate that cannot be used fails the release, and what an earlier
# run left in the folder goes: nothing there looks like a (signed) release.
bad_release() { ! make_release "$unsigned" SIGN_PFX="$cert/test.pfx" "$@"; }
nothing_left() { test -z "$(ls -A "$unsigned")"; }
check "a wrong password fails make-release.sh" bad_release SIGN_PASSWORD=sesame
check "and leaves no zip, setup, SHA256SUMS or manifests ($(ls "$unsigned" | tr '\n' ' '))" nothing_left
check "a timestamp server that does not answer fails it" \
  bad_release SIGN_PASSWORD="open sesame" SIGN_TIMESTAMP_URL=http://127.0.0.1:9/
check "and leaves nothing either" nothing_left

# --- The portable zip ---------------------------------------------------------
mkdir -p "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
check "the zip holds the one folder Vistelle" test "$(ls -A "$work/unzipped")" = Vistelle
app="$work/unzipped/Vistelle"
check "its Pictora.exe is signed" signed "$app/Pictora.exe"
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

# --- Windows 10 version 1903 or later ---------------------------------------------
reg_query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion'
check "the prefix reports Windows 10.0.18362, the oldest that setup takes" \
  test "$(reg_value CurrentVersion) $(reg_value CurrentBuildNumber)" = "REG_SZ    10.0 REG_SZ    18362"
wine winecfg /v win7
wine "$setup" /S
status=$?
check "under Windows 7 setup /S refuses with a non-zero code (got $status)" test "$status" -ne 0
nothing_installed() { test ! -e "$inst" -a ! -e "$shortcut" && key_gone "$uninstall_key"; }
check "and installs nothing: no folder, shortcut or uninstall entry" nothing_installed
"$VISTELLE_WINE64" "$setup" >"$work/setup.log" 2>&1 </dev/null &
pictora_pid=$!
check "without /S it says so in a box" ctl answer-box 30
check "which names Windows 10 version 1903 ($out)" grep -q "needs Windows 10 version 1903 or later" <<<"$out"
wait_program 20
check "and then ends with a non-zero code (got $program_status)" test "$program_status" != 0 -a "$program_status" != timeout
wine winecfg /v win10

wine "$setup" /S
check "setup /S ends with code 0 (got $?)" test "$?" = 0
check "it installs into %LOCALAPPDATA%\\Programs\\Vistelle" test -f "$inst/Pictora.exe"
installed_files=$(cd "$inst" && find . -type f ! -name Uninstall.exe | sort)
check "the installed files are the release's" test "$installed_files" = "$release_files"
check "and the same bytes" bash -c 'cd "$1" && while read -r f; do cmp -s "$f" "$2/$f" || exit 1; done <<<"$3"' \
  _ "$inst" "$app" "$installed_files"
check "with Uninstall.exe" test -f "$inst/Uninstall.exe"
check "which is signed (by makensis, before it went into setup)" signed "$inst/Uninstall.exe"
# What the file's properties show, the same for each program.
version_strings() {
  local key
  for key in ProductName CompanyName ProductVersion FileVersion LegalCopyright; do
    printf '%s=%s;' "$key" "$(strings -el "$1" | grep -x -m1 -A1 "$key" | sed -n 2p)"
  done
}
for program in "$inst/Pictora.exe" "$inst/Uninstall.exe" "$setup"; do
  got=$(version_strings "$program")
  check "$(basename "$program")'s version resource names the release ($got)" bash -c '[[ $1 == $2 ]]' _ "$got" \
    "ProductName=Vistelle;CompanyName=Vistelle;ProductVersion=$version;FileVersion=$version;LegalCopyright=Copyright*Vistelle;"
done
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
  for name in DisplayName DisplayVersion Publisher; do
    check "the manifests' $name is the entry's" manifest_has \
      "installer.AppsAndFeaturesEntries.0.$name=$(reg_value $name | sed 's/^REG_SZ    //')"
  done
  expect_value NoRepair "REG_DWORD    0x1"
  size=$(reg_value EstimatedSize)
  kb=$(du -sk "$inst" | cut -f1)
  check "uninstall entry: EstimatedSize is a DWORD of the folder's size in KB (${size//    / }, folder $kb KB)" \
    bash -c '[[ $1 == "REG_DWORD    0x"* ]] && s=$(( ${1#REG_DWORD    } )) && [ "$s" -ge $(($2 * 8 / 10)) ] && [ "$s" -le $(($2 * 12 / 10)) ]' \
    _ "$size" "$kb"
else
  fail "the uninstall entry is there"
fi

app_paths_key='HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\Pictora.exe'
app_paths_is() {  # FOLDER (Windows): the App Paths entry names FOLDER\Pictora.exe
  reg_query "$app_paths_key" && [ "$(reg_value '(Default)')" = "REG_SZ    $1\Pictora.exe" ] &&
    [ "$(reg_value Path)" = "REG_SZ    $1" ]
}
check "Pictora.exe is registered under App Paths, with its folder" app_paths_is "$win_inst"

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
check "the start with Windows stays chosen, written quoted" run_value_is HKCU "\"$win_inst\\Pictora.exe\" hide"

# A file that another program holds open: setup replaces nothing.
printf 'earlier version' >"$inst/Pictora.exe"
wine reg add "$uninstall_key" /v DisplayVersion /t REG_SZ /d 1.0.0 /f
check "another program holds Skin\\skin.ini open" hold_file "$inst/Skin/skin.ini"
wine "$setup" /S
status=$?
check "setup /S then fails with a non-zero code (got $status)" test "$status" -ne 0
check "and leaves the earlier Pictora.exe as it was" cmp -s "$inst/Pictora.exe" <(printf 'earlier version')
entry_version_is() { reg_query "$uninstall_key" /v DisplayVersion && [ "$(reg_value DisplayVersion)" = "REG_SZ    $1" ]; }
check "and the earlier uninstall entry" entry_version_is 1.0.0
release_file
wine "$setup" /S
check "once the file is free, setup ends with code 0 (got $?)" test "$?" = 0
release_in_place() { cmp -s "$inst/Pictora.exe" "$work/unzipped/Vistelle/Pictora.exe" && entry_version_is "$version"; }
check "and puts the release's Pictora.exe and entry in place" release_in_place

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
# A file that another program holds open: the uninstall fails and can be run
# again. Run in place (_?=), Uninstall.exe ends with the uninstall's code.
check "another program holds Skin\\skin.ini open" hold_file "$inst/Skin/skin.ini"
wine "$inst/Uninstall.exe" /S "_?=$win_inst"
status=$?
check "Uninstall.exe /S then fails with a non-zero code (got $status)" test "$status" -ne 0
entry_stays() { key_exists "$uninstall_key" && test -f "$shortcut" -a -f "$inst/Uninstall.exe" -a -f "$inst/Skin/skin.ini"; }
check "and keeps its entry, its shortcut and itself while files remain" entry_stays
release_file
wine "$setup" /S
check "setup puts the program back (code $?)" release_in_place

config_before=$(cat "$inst/config.ini")
library=$(cat "$inst/pictora.txt")
printf 'BM' >"$inst/pictora.bmp"
# An entry of an earlier version for the whole machine.
wine reg add "HKLM\\$run_key" /v Pictora /t REG_SZ /d "\"$win_inst\\Pictora.exe\" hide" /f
start_program
check "the program runs before the uninstall" ctl wait-window 20
# It spanned the wallpaper over the user's tiled one.
spanned_over 0 1
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
check "the App Paths entry is gone" key_gone "$app_paths_key"
check "the start with Windows is gone" no_run_value HKCU
check "and the machine's entry for this copy" no_run_value HKLM
check "config.ini stays" test "$(cat "$inst/config.ini")" = "$config_before"
check "pictora.txt stays" test "$(cat "$inst/pictora.txt")" = "$library"
check "pictora.bmp stays" test -f "$inst/pictora.bmp"
check "nothing else is left" test "$(ls -A "$inst" | sort | tr '\n' ' ')" = "config.ini pictora.bmp pictora.txt "
check "the user's wallpaper style is back (tiled)" desktop_style_is 0 1
check "and the saved one is gone, with HKCU\\Software\\Vistelle" key_gone 'HKCU\Software\Vistelle'

# --- Folders given with /D= -----------------------------------------------------------
tools="$work/Tools"
mkdir -p "$tools" "$work/Empty"
printf 'mine' >"$tools/notes.txt"
wine "$setup" /S "/D=$(winpath "$tools")"
check "setup /S /D= a folder that holds other things ends with code 0 (got $?)" test "$?" = 0
in_own_folder() { test -f "$tools/Vistelle/Pictora.exe" -a ! -e "$tools/Pictora.exe" && test "$(cat "$tools/notes.txt")" = mine; }
check "and installs into a Vistelle folder inside it" in_own_folder
taken_as_is() { test -f "$work/Empty/Pictora.exe" -a ! -e "$work/Empty/Vistelle"; }
wine "$setup" /S "/D=$(winpath "$work/Empty")"
check "an empty folder is taken as it is" taken_as_is
# Uninstalled with the library kept, after the user chose another style.
printf 'Sea' >"$work/Empty/pictora.txt"
spanned_over 0 1
wine reg add "$desktop_key" /v WallpaperStyle /t REG_SZ /d 10 /f
# The copy in Tools was installed again since and has the App Paths entry.
wine reg add "$app_paths_key" /ve /t REG_SZ /d "$(winpath "$tools")\Vistelle\Pictora.exe" /f &&
  wine reg add "$app_paths_key" /v Path /t REG_SZ /d "$(winpath "$tools")\Vistelle" /f
wine "$work/Empty/Uninstall.exe" /S "_?=$(winpath "$work/Empty")"
check "Uninstall.exe /S in place ends with code 0 (got $?)" test "$?" = 0
check "the other copy's App Paths entry stays" app_paths_is "$(winpath "$tools")\Vistelle"
# (Once, in a full run, this found another style: the values say which.)
reg_query "$desktop_key"
check "the style the user chose since stays (got $(reg_value WallpaperStyle | tr -s ' '), $(reg_value TileWallpaper | tr -s ' '))" \
  desktop_style_is 10 0
check "and the saved style is gone" key_gone "$saved_style_key"
rm -f "$work/Empty/Uninstall.exe"  # run in place, it stays behind
wine "$setup" /S "/D=$(winpath "$work/Empty")"
check "a folder with the library an uninstall left is taken as it is" taken_as_is
finish
