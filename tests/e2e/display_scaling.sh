#!/bin/bash
# The main window at 100, 150 and 200 % display scaling: Pictora.exe in a
# Wine prefix and on a screen of their own (1600x1200), the prefix's
# LogPixels set to 96, 144 and 192 in turn. Wine does not stretch programs,
# so what is seen is the program's own scaling: the window's size that of
# the skin's art at the scale, its outline the art's mask within a pixel of
# its edge, the lists inside the window where the scaled layout puts them.
# With VISTELLE_SHOTS=DIR a screenshot of each scale is kept there.
#   tests/e2e/display_scaling.sh BUILD_DIR CONTROLLER_EXE
if [ -z "${VISTELLE_SCALING_RUN:-}" ]; then
  scaling_tmp=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-scaling.XXXXXX") || exit 2
  export VISTELLE_SCALING_RUN=$scaling_tmp VISTELLE_WINE_ROOT="$scaling_tmp/wine"
  export VISTELLE_WINEPREFIX="$scaling_tmp/wine/prefix" VISTELLE_XVFB_SIZE=1600x1200 VISTELLE_USE_DISPLAY=0
  "$(dirname "$0")/../../tools/with-xvfb" bash "$0" "$@"
  status=$?
  rm -rf "$scaling_tmp"
  exit $status
fi
. "$(dirname "$0")/program_lib.sh"

install_program
about_command=4  # TSkin::kMenuAbout
# In per cent: a length of the 100 % layout at the scale, halves up.
scaled() { echo $(( ($1 * $2 + 50) / 100 )); }
for dpi in 96 144 192; do
  scale=$(( (dpi * 100 + 48) / 96 ))
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
  # A new server reads the setting.
  "$VISTELLE_WINESERVER" -k >/dev/null 2>&1 </dev/null
  timeout 20 "$VISTELLE_WINESERVER" -w >/dev/null 2>&1 </dev/null
  "$VISTELLE_WINESERVER" -p >/dev/null 2>&1 </dev/null
  write_config zmiana_tapety_co=0
  start_program
  ctl wait-window 30 || { fail "$scale %: no window"; continue; }
  for _ in $(seq 50); do ctl list 202 && break; ctl sleep 200; done
  ctl geometry
  geometry=$out
  field() { sed -n "s/^$1 //p" <<<"$geometry" | head -1; }
  check "$scale %: the window knows its DPI ($(field dpi))" test "$(field dpi)" = "$dpi"
  want="$(scaled 580 "$scale") $(scaled 410 "$scale")"
  check "$scale %: the window is the art's $want (got $(field window))" test "$(field window)" = "$want"
  # The outline is the mask at the scale: its dark pixels, within a pixel
  # of the edge (the mask of a missing scale is resampled).
  mask="$app/Skin/Mask.bmp"
  [ "$scale" = 100 ] || mask="$app/Skin/Mask@$scale.png"
  inside=$(convert "$mask" -colorspace gray -threshold 50% -negate -format '%[fx:round(mean*w*h)]' info:)
  region=$(field region)
  edge=$(( 2 * ($(scaled 580 "$scale") + $(scaled 410 "$scale")) ))
  check "$scale %: the outline holds the mask's $inside pixels within a pixel (got $region)" \
    test $(( region > inside ? region - inside : inside - region )) -le "$edge"
  # The lists where the scaled layout puts them, inside the window (a list
  # may end higher, at its last whole line).
  for list in "202 266 139 289 224" "203 266 51 144 80"; do
    set -- $list
    read -r gx gy gw gh <<<"$(sed -n "s/^child $1 [^ ]* //p" <<<"$geometry")"
    wx=$(scaled "$2" "$scale") wy=$(scaled "$3" "$scale")
    ww=$(( $(scaled $(($2 + $4)) "$scale") - wx )) wh=$(( $(scaled $(($3 + $5)) "$scale") - wy ))
    check "$scale %: list $1 at $wx $wy $ww, at most $wh high (got $gx $gy $gw $gh)" \
      test "$gx $gy $gw" = "$wx $wy $ww" -a "${gh:-0}" -le "$wh" -a "${gh:-0}" -gt $((wh / 2))
  done
  # A button at the scaled place: "About Vistelle" at 24,294 (208 x 36).
  got=$(sed -n "s/^child [0-9-]* BUTTON_ABOUT //p" <<<"$geometry")
  want="$(scaled 24 "$scale") $(scaled 294 "$scale") $(( $(scaled 232 "$scale") - $(scaled 24 "$scale") )) $(( $(scaled 330 "$scale") - $(scaled 294 "$scale") ))"
  check "$scale %: the About button at $want (got $got)" test "$got" = "$want"
  if [ -n "${VISTELLE_SHOTS:-}" ]; then
    mkdir -p "$VISTELLE_SHOTS"
    sleep 1
    import -window root "$VISTELLE_SHOTS/scale-$scale.png"
    # The About box at the scale.
    ctl post command "$about_command" + wait-box 10
    sleep 1
    import -window root "$VISTELLE_SHOTS/about-$scale.png"
    ctl answer-box 5
  fi
  ctl close
  wait_program 20

  # The sheet at the scale: every text whole, nothing covering anything
  # (its dialogs scale with the DPI, and what it draws itself follows).
  tests="$build/vistelle_win_tests.exe"
  sheet_whole() {
    "$VISTELLE_WINE64" "$tests" --gtest_brief=1 \
      --gtest_filter='SettingsSheetTest.EveryTextOfEveryPageShowsWhole:SettingsSheetTest.NothingOnAPageCoversAnythingElse' \
      >"$work/sheet-$scale.log" 2>&1 </dev/null || { tr -d '\r' <"$work/sheet-$scale.log" | grep -v '^\[' | head -20; false; }
  }
  check "$scale %: every page of the sheet whole" sheet_whole
  if [ -n "${VISTELLE_SHOTS:-}" ]; then
    # Each page of the sheet, pictured when the test says it is ready.
    sheet_shots="$work/sheet-shots-$scale"
    mkdir -p "$sheet_shots"
    VISTELLE_SHEET_SHOTS=$(winpath "$sheet_shots") "$VISTELLE_WINE64" "$tests" \
      --gtest_filter=SettingsSheetTest.ShowsEachPageForAPicture >"$work/shots.log" 2>&1 </dev/null &
    shooter=$!
    while kill -0 "$shooter" 2>/dev/null; do
      for ready in "$sheet_shots"/*.ready; do
        [ -e "$ready" ] || continue
        shot=${ready%.ready}
        import -window root "$VISTELLE_SHOTS/sheet-$scale-$(basename "$shot").png"
        rm -f "$ready"
        touch "$shot.done"
      done
      sleep 0.2
    done
  fi
done
finish
