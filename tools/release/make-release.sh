#!/bin/bash
# The release of a Windows build: the portable zip and the installer.
#   [SIGN_PFX=cert.pfx [SIGN_PASSWORD=... | SIGN_PASSWORD_FILE=file]
#    [SIGN_TIMESTAMP_URL=http://...]] [RELEASE_URL=https://...]
#   tools/release/make-release.sh BUILD_DIR OUT_DIR
# writes into OUT_DIR
#   Vistelle-VERSION-win64.zip   the folder Vistelle\ with Pictora.exe, Skin\,
#                                Calendar\ and README.txt
#   Vistelle-VERSION-setup.exe   the installer (tools/release/vistelle.nsi)
#   SHA256SUMS                   of those two, for sha256sum -c
#   winget/                      the package manager's manifests of the setup
# With SIGN_PFX, Pictora.exe, Uninstall.exe and the setup are signed
# (tools/release/sign.sh); without it the release is unsigned. RELEASE_URL is
# the address the release's files are published under (the manifests'
# installer URL is RELEASE_URL/Vistelle-VERSION-setup.exe); without it the
# manifests carry a placeholder. The version is the build's, from project()
# in CMakeLists.txt. Needs cmake, zip, makensis, convert, python3 with yaml
# and, to sign, osslsigncode (tools/deps.sh release). The files appear in
# OUT_DIR only when all of them are made; what an earlier run of the same
# version left there goes first.
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
tools=(cmake zip makensis convert sha256sum)
[ -n "${SIGN_PFX:-}" ] && tools+=(osslsigncode)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || { echo "make-release: $tool is missing (tools/deps.sh release)" >&2; exit 1; }
done
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" -c 'import yaml' 2>/dev/null ||
  { echo "make-release: python3 with yaml is missing (tools/deps.sh release)" >&2; exit 1; }
# The maker and the copyright, as Pictora.exe's version resource names them.
version_h="$build/generated/vistelle_version.h"
define_of() { sed -n "s/^#define $1 \"\\(.*\\)\"\$/\\1/p" "$version_h" 2>/dev/null; }
company=$(define_of VISTELLE_COMPANY)
copyright=$(define_of VISTELLE_COPYRIGHT)
if [ -z "$company" ] || [ -z "$copyright" ]; then
  echo "make-release: no company or copyright in $version_h (build the program again)" >&2
  exit 1
fi
release_url=${RELEASE_URL:-https://example.invalid/vistelle/releases/$version}
release_url=${release_url%/}
if ! [[ "$release_url" =~ ^[Hh][Tt][Tt][Pp][Ss]?://.+ ]]; then
  echo "make-release: RELEASE_URL must be an http:// or https:// address, not \"$release_url\"" >&2
  exit 1
fi
# The manifests' licence: the project's licence file, while it has one.
licence=()
for name in LICENSE LICENSE.txt LICENSE.md LICENCE LICENCE.txt COPYING; do
  [ -f "$root/$name" ] && { licence=(--licence "$root/$name"); break; }
done

zip_name="Vistelle-$version-win64.zip"
setup_name="Vistelle-$version-setup.exe"
rm -rf "$out/$zip_name" "$out/$setup_name" "$out/SHA256SUMS" "$out/winget"

work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage="$work/Vistelle"
cmake --install "$build" --prefix "$stage" >/dev/null
for item in Pictora.exe Skin Calendar; do
  [ -e "$stage/$item" ] || { echo "make-release: $item is not in the installed folder" >&2; exit 1; }
done

# Signed, Pictora.exe goes into the zip and the installer as it is signed;
# makensis signs the uninstaller and setup itself (vistelle.nsi).
sign_define=()
if [ -n "${SIGN_PFX:-}" ]; then
  [ -f "$SIGN_PFX" ] && [ -r "$SIGN_PFX" ] || { echo "make-release: the certificate $SIGN_PFX cannot be read" >&2; exit 1; }
  export SIGN_PFX SIGN_PASSWORD SIGN_PASSWORD_FILE SIGN_TIMESTAMP_URL
  SIGN_PFX=$(realpath "$SIGN_PFX")
  [ -z "${SIGN_PASSWORD_FILE:-}" ] || SIGN_PASSWORD_FILE=$(realpath "$SIGN_PASSWORD_FILE")
  "$here/sign.sh" "$stage/Pictora.exe" || { echo "make-release: Pictora.exe cannot be signed" >&2; exit 1; }
  sign_define=(-DSIGN="$here/sign.sh")
fi

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

# Everything is made in $work/release and goes to OUT_DIR once all is there.
release="$work/release"
mkdir -p "$release"
setup="$release/$setup_name"
makensis -V2 -NOCD -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DREPLACEABLE="$replaceable" \
  -DUNFILES="$unfiles" -DUNDIRS="$undirs" -DCOMPANY="$company" -DCOPYRIGHT="$copyright" "${sign_define[@]}" \
  -DICON="$root/resources/icons/app.ico" -DWIZARD_BITMAP="$work/wizard.bmp" -DOUTFILE="$setup" \
  "$here/vistelle.nsi" >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log" >&2; exit 1; }

# The zip: the same folder with a README, its lines ending in CR LF.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$here/README.txt.in" >"$stage/README.txt"
(cd "$work" && zip -q -X -r -9 "$release/$zip_name" Vistelle)

(cd "$release" && sha256sum "$zip_name" "$setup_name" >SHA256SUMS)
"$python" "$here/winget-manifests.py" --version "$version" --setup "$setup" --url "$release_url/$setup_name" \
  --company "$company" --copyright "$copyright" "${licence[@]}" --out "$release/winget"

for name in "$zip_name" "$setup_name" SHA256SUMS winget; do
  mv "$release/$name" "$out/"
done
for name in "$zip_name" "$setup_name"; do
  printf '%s  %s bytes\n' "$out/$name" "$(stat -c %s "$out/$name")"
done
if [ -z "${SIGN_PFX:-}" ]; then
  echo "Unsigned: no certificate given (SIGN_PFX=cert.pfx signs the release)."
elif [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
  echo "Signed with $SIGN_PFX, timestamped by $SIGN_TIMESTAMP_URL: Pictora.exe, Uninstall.exe and the setup."
else
  echo "Signed with $SIGN_PFX, without a timestamp: Pictora.exe, Uninstall.exe and the setup."
fi
if [ -n "${RELEASE_URL:-}" ]; then
  echo "$out/SHA256SUMS; $out/winget/ for $release_url/$setup_name."
else
  echo "$out/SHA256SUMS; $out/winget/ with a placeholder address (RELEASE_URL=https://... gives the real one)."
fi
