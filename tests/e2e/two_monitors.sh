#!/bin/bash
# The Windows desktop on two monitors under Wine.
#
#   tests/e2e/two_monitors.sh [BUILD_DIR]
#
# Wine takes its monitors from the X server's RandR outputs, or without
# RandR from its Xinerama heads: an Xvfb with two screens, Xinerama and no
# RandR gives it two monitors (Xvfb puts both heads at the origin, so they
# overlap; sizes and the hand-over are what can be checked). The tests run
# on a display and a Wine prefix of their own, beside the usual ones.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/windows}
tests=$(realpath "$build/vistelle_win_tests.exe" 2>/dev/null || echo "$build/vistelle_win_tests.exe")
[ -f "$tests" ] || { echo "two_monitors: $tests is missing (build it first)" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "two_monitors: Xvfb is needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-monitors.XXXXXX") || exit 2
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

sizes=1024x768,800x600
Xvfb -displayfd 3 -extension RANDR +xinerama -screen 0 1024x768x24 -screen 1 800x600x24 -nolisten tcp -noreset \
  3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
if ! [ -s "$work/display" ]; then
  echo "two_monitors: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 2
fi
read -r display_number <"$work/display"

# A prefix of its own, in a folder of its own (with-xvfb locks the folder,
# and a run on the usual prefix may hold that one): the usual prefix's
# server knows only one monitor.
export VISTELLE_WINE_ROOT=${VISTELLE_WINE_ROOT:-/tmp/vistelle-wine}
usual=${VISTELLE_WINEPREFIX:-$VISTELLE_WINE_ROOT/prefix}
export VISTELLE_WINEPREFIX="$(dirname "$usual")/monitors/prefix"
export DISPLAY=":$display_number" VISTELLE_USE_DISPLAY=1 VISTELLE_TWO_MONITORS=$sizes
"$root/tools/with-xvfb" "$root/tools/wine-run" "$tests" --gtest_filter='SystemDesktop.Monitors*:*TwoMonitors*' \
  --gtest_color=no >"$work/log" 2>&1
status=$?
cat "$work/log"
if [ "$status" -ne 0 ] || ! grep -q '^\[  PASSED  \] 2 tests' "$work/log" || grep -q 'SKIPPED' "$work/log"; then
  echo "two_monitors: FAILED"
  exit 1
fi
echo "two_monitors: ok"
