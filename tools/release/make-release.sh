#!/bin/bash
# The release of a Windows build: the portable zip and the installer.
#   tools/release/make-release.sh BUILD_DIR OUT_DIR
# writes OUT_DIR/Vistelle-VERSION-win64.zip (the folder Vistelle\ with
# Pictora.exe, Skin\, Calendar\ and README.txt) and
# OUT_DIR/Vistelle-VERSION-setup.exe (tools/release/vistelle.nsi). The version
# is the build's, from project() in CMakeLists.txt. Needs cmake, zip and
# makensis (tools/deps.sh release).
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
if ! [[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "make-release: no version in $build/CMakeCache.txt" >&2
  exit 1
fi
for tool in cmake zip makensis convert; do
  command -v "$tool" >/dev/null || { echo "make-release: $tool is missing (tools/deps.sh release)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage="$work/Vistelle"
cmake --install "$build" --prefix "$stage" >/dev/null
for item in Pictora.exe Skin Calendar; do
  [ -e "$stage/$item" ] || { echo "make-release: $item is not in the installed folder" >&2; exit 1; }
done

# What the installer puts in place and the uninstaller takes away again:
# the installed files one by one, so that nothing else in the folder (the
# user's library and settings, files of their own) is touched. Setup checks
# first that each of them can be replaced where an earlier version has it.
files="$work/files.nsh"
replaceable="$work/replaceable.nsh"
unfiles="$work/unfiles.nsh"
undirs="$work/undirs.nsh"
: >"$files"
: >"$replaceable"
: >"$unfiles"
: >"$undirs"
winname() { printf '%s' "${1//\//\\}"; }
while IFS= read -r dir; do
  rel=${dir#"$stage"}
  rel=${rel#/}
  printf 'SetOutPath "$INSTDIR%s"\n' "$(winname "${rel:+/$rel}")" >>"$files"
  find "$dir" -maxdepth 1 -type f | LC_ALL=C sort | while IFS= read -r file; do
    printf 'File "%s"\n' "$file" >>"$files"
    printf 'Push "$INSTDIR\\%s"\nCall CheckReplaceable\n' "$(winname "${file#"$stage"/}")" >>"$replaceable"
    printf 'Delete "$INSTDIR\\%s"\n' "$(winname "${file#"$stage"/}")" >>"$unfiles"
  done
done < <(find "$stage" -type d | LC_ALL=C sort)
# Folders deepest first, each only when it is empty.
find "$stage" -mindepth 1 -type d | LC_ALL=C sort -r | while IFS= read -r dir; do
  printf 'RMDir "$INSTDIR\\%s"\n' "$(winname "${dir#"$stage"/}")" >>"$undirs"
done

# The welcome and finish pages' picture: the program's icon on its blue.
convert -size 164x314 gradient:'#1d4f91-#0b1f3d' \
  \( "$root/resources/icons/app.ico[7]" -resize 96x96 \) -gravity north -geometry +0+48 -composite \
  -type TrueColor BMP3:"$work/wizard.bmp"

setup="$out/Vistelle-$version-setup.exe"
rm -f "$setup"
makensis -V2 -NOCD -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DREPLACEABLE="$replaceable" \
  -DUNFILES="$unfiles" -DUNDIRS="$undirs" \
  -DICON="$root/resources/icons/app.ico" -DWIZARD_BITMAP="$work/wizard.bmp" -DOUTFILE="$setup" \
  "$here/vistelle.nsi" >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log" >&2; exit 1; }

# The zip: the same folder with a README, its lines ending in CR LF.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$here/README.txt.in" >"$stage/README.txt"
zip="$out/Vistelle-$version-win64.zip"
rm -f "$zip"
(cd "$work" && zip -q -X -r -9 "$zip" Vistelle)

for file in "$zip" "$setup"; do
  printf '%s  %s bytes\n' "$file" "$(stat -c %s "$file")"
done
