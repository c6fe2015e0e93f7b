#!/usr/bin/env bash
# Builds the fuzz preset and runs every *_fuzz target it produced, one after
# the other, each as a single process.
#
#   tools/run-fuzz.sh [seconds]
#
# How long each target runs:
#   seconds, else $FUZZ_SECONDS    stop after that many seconds
#   $FUZZ_RUNS                     stop after that many executions
# With both, whichever comes first ends the run; with neither, 60 seconds.
# $FUZZ_TARGETS (names such as "skin_file_fuzz exif_fuzz") runs only those.
#
# Each target keeps its corpus in build/fuzz/corpus/<name>, seeded from the
# hand-made inputs in fuzz/corpus/<name> (without the _fuzz) and from the
# files in tests/data; crash inputs go to build/fuzz/artifacts/<name>/.
# A target with a dictionary (fuzz/<name>.dict, without the _fuzz) is given it.
# Exits non-zero when a target does not build or finds a crash.
set -u

seconds="${1:-${FUZZ_SECONDS:-}}"
runs="${FUZZ_RUNS:-}"
case "$seconds" in
  *[!0-9]*) echo "usage: $0 [seconds]  (FUZZ_SECONDS, FUZZ_RUNS: whole numbers)" >&2; exit 2 ;;
esac
case "$runs" in
  *[!0-9]*) echo "$0: FUZZ_RUNS must be a whole number" >&2; exit 2 ;;
esac
[ -z "$seconds" ] && [ -z "$runs" ] && seconds=60

limits=()
what=""
if [ -n "$seconds" ]; then
  limits+=(-max_total_time="$seconds")
  what="${seconds}s"
fi
if [ -n "$runs" ]; then
  limits+=(-runs="$runs")
  what="${what:+$what or }$runs runs"
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root" || exit 2

# Only the fuzz targets are built: the preset's other programs are of no
# use here.
targets=()
for source in fuzz/*_fuzz.cpp; do
  [ -f "$source" ] || continue
  name="$(basename "$source" .cpp)"
  if [ -n "${FUZZ_TARGETS:-}" ]; then
    case " $FUZZ_TARGETS " in
      *" $name "*) ;;
      *) continue ;;
    esac
  fi
  targets+=("$name")
done
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no fuzz targets in fuzz/${FUZZ_TARGETS:+ named $FUZZ_TARGETS}" >&2
  exit 2
fi
cmake --preset fuzz >/dev/null || exit 2
cmake --build build/fuzz --target "${targets[@]}" || exit 2

status=0
found=0
for name in "${targets[@]}"; do
  target="build/fuzz/$name"
  [ -x "$target" ] || continue
  found=1
  corpus="build/fuzz/corpus/$name"
  artifacts="build/fuzz/artifacts/$name"
  seeds="fuzz/corpus/${name%_fuzz}"
  mkdir -p "$corpus" "$artifacts"
  for dir in "$seeds" tests/data; do
    [ -d "$dir" ] && find "$dir" -maxdepth 1 -type f -exec cp -n {} "$corpus/" \;
  done
  dictionary=()
  [ -f "fuzz/${name%_fuzz}.dict" ] && dictionary=(-dict="fuzz/${name%_fuzz}.dict")
  echo "== $name: $what"
  # Pictures up to the image layer's limit may legitimately take about 2 GB.
  if ! "$target" "${limits[@]}" "${dictionary[@]}" -timeout=30 -rss_limit_mb=4096 \
      -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus"; then
    echo "== $name: FAILED (see $artifacts)" >&2
    status=1
  fi
done

if [ "$found" -eq 0 ]; then
  echo "no fuzz targets were built" >&2
  exit 2
fi
exit "$status"
