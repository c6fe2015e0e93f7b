# Shared by the benchmarks of Pictora.exe under Wine (sourced after
# "cd" to the source folder, with $name, $build and $controller set):
#   - $work, a fresh folder removed at the end, with the program installed
#     in $app;
#   - winpath, the Windows name of a file here;
#   - make_photos FILE..., 6000x4000 photographs (noise under gradients,
#     quality 90, so that they decode like camera pictures), in
#     $work/pictures, and $work/photos.txt, a library of them;
#   - a 1920x1080 Xvfb screen of our own in $DISPLAY; tools/with-xvfb then
#     only brings the Wine server.
for f in "$build/Pictora.exe" "$controller"; do
  [ -f "$f" ] || { echo "$name: $f is missing (build the Windows program first)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-bench.XXXXXX")
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

app="$work/Vistelle"
cmake --install "$build" --prefix "$app" >/dev/null
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$work/pictures"
make_photos() {
  local library=Photos photo
  local colours=('#506070-#c0a080' '#304050-#e0b090')
  local i=0
  for photo in "$@"; do
    convert -size 6000x4000 gradient:"${colours[i % 2]}" -attenuate 0.6 +noise Gaussian -quality 90 \
      "$work/pictures/$photo.jpg"
    library+=$'\r\n'"$(winpath "$work/pictures/$photo.jpg")"
    i=$((i + 1))
  done
  printf '%s' "$library" >"$work/photos.txt"
}

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 </dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "$name: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 2; }
export DISPLAY=":$(cat "$work/display")"
