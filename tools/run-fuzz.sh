#!/usr/bin/env bash
# Builds the fuzz preset and runs every *_fuzz target it produced.
#
#   tools/run-fuzz.sh [seconds]      (default: $FUZZ_SECONDS, else 60)
#
# Each target keeps its corpus in build/fuzz/corpus/<name>, seeded from the
# files in tests/data; crash inputs go to build/fuzz/artifacts/<name>/.
# Exits non-zero when a target does not build or finds a crash.
set -u

seconds="${1:-${FUZZ_SECONDS:-60}}"
case "$seconds" in
  ''|*[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;;
esac

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root" || exit 2

# Only the fuzz targets are built: the preset's other programs are of no
# use here.
targets=()
for source in fuzz/*_fuzz.cpp; do
  [ -f "$source" ] && targets+=("$(basename "$source" .cpp)")
done
if [ "${#targets[@]}" -eq 0 ]; then
  echo "no fuzz targets in fuzz/" >&2
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
  mkdir -p "$corpus" "$artifacts"
  if [ -d tests/data ]; then
    find tests/data -maxdepth 1 -type f -exec cp -n {} "$corpus/" \;
  fi
  echo "== $name: ${seconds}s"
  # Pictures up to the image layer's limit may legitimately take about 2 GB.
  if ! "$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
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
