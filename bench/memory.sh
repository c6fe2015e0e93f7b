#!/usr/bin/env bash
# The program under Wine: how much more resident memory Pictora.exe keeps
# while idle after manual wallpaper changes of 6000x4000 JPEGs on a
# 1920x1080 screen than it kept idle before the first change. Goal: at most
# 25 MB more after any change.
#
#   bench/memory.sh [WINDOWS_BUILD_DIR]
#
# Default build/windows. The library is one category of two 6000x4000
# photographs; the program starts with the first one previewed (decoded and
# held), so "before" already holds one picture. Each change is the tray's
# "Set next wallpaper" (load, compose, write pictora.bmp, set the
# wallpaper), sent through the test controller, which returns once the
# window has handled it.
#
# The figure is VmRSS of the wine64 process that runs Pictora.exe, read from
# /proc once it has settled (no longer moving by more than half a megabyte
# over a second and a half). About 40 MB of it is Wine itself, so only the
# differences mean anything. MB here are 1024 kB, as /proc counts them.
#
# Settings (environment):
#   VISTELLE_MEMORY_LIMIT_MB   largest allowed growth (25)
#   VISTELLE_MEMORY_CHANGES    changes made and measured (3)
#   VISTELLE_MEMORY_START_WAIT seconds idle after the start before reading (5)
#   VISTELLE_MEMORY_WAIT       seconds idle after each change before reading (3)
# Runs on a private 1920x1080 Xvfb display with the project's Wine prefix
# (VISTELLE_WINEPREFIX chooses another). Exit code 1 when the growth is over
# the limit, 2 when the measurement itself failed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build/windows}")
limit_mb=${VISTELLE_MEMORY_LIMIT_MB:-25}
changes=${VISTELLE_MEMORY_CHANGES:-3}
start_wait=${VISTELLE_MEMORY_START_WAIT:-5}
change_wait=${VISTELLE_MEMORY_WAIT:-3}
controller="$build/vistelle-controller.exe"
name=memory.sh
. bench/wine_bench_lib.sh
make_photos photo1 photo2

# Everything below runs under tools/with-xvfb. Wine's output goes to files
# only; the $(...) there read /proc and files, never a Wine process.
export root controller work app changes start_wait change_wait
cat >"$work/run.sh" <<'EOF'
set -u
fail() { echo "memory.sh: $*" >&2; exit 2; }
ctl() { "$root/tools/wine-run" "$controller" "$@" >"$work/ctl.out" 2>>"$work/ctl.err"; }
program="$(winpath "$app/Pictora.exe")"

# The wine64 process that runs this folder's Pictora.exe: its command line
# names the program's path (Wine shows it as the Windows path it was
# started with; the Unix one is accepted as well), and it is not the
# controller, which names it too while it starts it.
find_program() {
  local dir pid cmd found=
  for dir in /proc/[0-9]*; do
    pid=${dir#/proc/}
    cmd=$(tr '\0' ' ' 2>/dev/null <"$dir/cmdline") || continue
    case "${cmd,,}" in
      *vistelle-controller*) continue ;;
      *"${program,,}"* | *"${app,,}/pictora.exe"*) ;;
      *) continue ;;
    esac
    case "$(readlink "$dir/exe" 2>/dev/null)" in
      */wine64* | */wine-preloader* | */wine64-preloader*) ;;
      *) continue ;;
    esac
    [ -z "$found" ] || fail "two processes run $program: $found and $pid"
    found=$pid
  done
  [ -n "$found" ] || fail "no wine64 process runs $program"
  echo "$found"
}

field() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status" 2>/dev/null; }

# Waits the given seconds, then until VmRSS has stayed within 512 kB over
# three readings half a second apart (30 s at most); prints it in kB.
idle_rss() {
  local a b c i
  sleep "$1"
  a=$(field VmRSS); sleep 0.5; b=$(field VmRSS)
  for i in $(seq 1 60); do
    sleep 0.5
    c=$(field VmRSS)
    [ -n "$a" ] && [ -n "$b" ] && [ -n "$c" ] || fail "Pictora.exe (process $pid) has gone"
    if [ $(( (a > c ? a - c : c - a) )) -le 512 ] && [ $(( (b > c ? b - c : c - b) )) -le 512 ]; then
      echo "$c"
      return
    fi
    a=$b; b=$c
  done
  echo "memory.sh: VmRSS still moving after 30 s; taking $c kB" >&2
  echo "$c"
}

: >"$work/rss.txt"
# Once first, so that the prefix's first use (fonts, registry) is not in the
# figures.
cp "$work/photos.txt" "$app/pictora.txt"
ctl launch "$program" || fail "Pictora.exe did not start"
ctl close + wait-gone 30 || fail "Pictora.exe did not close"

cp "$work/photos.txt" "$app/pictora.txt"
rm -f "$app/config.ini" "$app/pictora.bmp"
ctl launch "$program" || fail "Pictora.exe did not start"
pid=$(find_program) || exit 2
echo "$pid, $(readlink "/proc/$pid/exe"): $(tr -s '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//')" >"$work/process.txt"
rss=$(idle_rss "$start_wait") || exit 2
echo "before $rss" >>"$work/rss.txt"
for i in $(seq 1 "$changes"); do
  rm -f "$app/pictora.bmp"
  t0=$(date +%s%N)
  ctl command 5 || fail "change $i was not handled"
  echo "time$i $((($(date +%s%N) - t0) / 1000000))" >>"$work/rss.txt"
  # A change that did not happen would measure nothing.
  ctl no-box || fail "change $i opened a message box: $(cat "$work/ctl.out")"
  [ -f "$app/pictora.bmp" ] || fail "change $i wrote no pictora.bmp"
  rss=$(idle_rss "$change_wait") || exit 2
  echo "change$i $rss" >>"$work/rss.txt"
done
echo "peak $(field VmHWM)" >>"$work/rss.txt"
identify -format '%wx%h' "$app/pictora.bmp" >"$work/size.txt"
ctl close + wait-gone 30 || fail "Pictora.exe did not close"
EOF
{ declare -f winpath; cat "$work/run.sh"; } >"$work/run-all.sh"
if ! VISTELLE_USE_DISPLAY=1 tools/with-xvfb bash "$work/run-all.sh"; then
  echo "memory.sh: the measurement failed; the controller said:" >&2
  cat "$work/ctl.err" >&2
  exit 2
fi

mb() { awk -v kb="$1" 'BEGIN { printf "%.1f", kb / 1024 }'; }
value() { awk -v key="$1" '$1 == key { print $2 }' "$work/rss.txt"; }
before=$(value before)
echo "Idle resident memory of Pictora.exe (VmRSS of its wine64 process), two 6000x4000 JPEGs at $(cat "$work/size.txt"):"
printf '  %-22s %8s MB\n' "before any change" "$(mb "$before")"
largest=
for i in $(seq 1 "$changes"); do
  after=$(value "change$i")
  growth=$((after - before))
  printf '  %-22s %8s MB  (%+.1f MB)\n' "after change $i" "$(mb "$after")" "$(mb "$growth")"
  if [ -z "$largest" ] || [ "$growth" -gt "$largest" ]; then largest=$growth; fi
done
echo "Process: $(cat "$work/process.txt")"
echo "Largest growth: $(mb "$largest") MB (limit $limit_mb MB)"
echo "Peak resident memory (VmHWM), for information: $(mb "$(value peak)") MB"
times=
for i in $(seq 1 "$changes"); do times+="$(value "time$i") "; done
echo "Each change, from the controller's start to the window's answer: ${times}ms"
if awk -v growth="$largest" -v limit="$limit_mb" 'BEGIN { exit !(growth > limit * 1024) }'; then
  echo "the idle memory after a change misses its goal of at most $limit_mb MB above that before it"
  exit 1
fi
