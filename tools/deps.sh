#!/usr/bin/env bash
# Installs the Debian packages a target needs, only those that are missing.
#   tools/deps.sh native|windows|fuzz|art|release|bench|all
set -euo pipefail

native=(cmake ninja-build g++ pkg-config libgtest-dev libjpeg62-turbo-dev libpng-dev libgif-dev
        libfreetype-dev fonts-liberation fonts-liberation2 libstb-dev imagemagick libimage-exiftool-perl)
windows=(cmake ninja-build g++-mingw-w64-x86-64 mingw-w64-tools googletest wine64 xvfb xauth
         x11-utils imagemagick fonts-liberation fonts-liberation2 libstb-dev libimage-exiftool-perl python3)
fuzz=(clang libclang-rt-14-dev)
art=(librsvg2-bin imagemagick)
release=(nsis zip unzip osslsigncode openssl python3-yaml python3-jsonschema)
# The streaming benchmark's yardsticks: djpeg (the decode alone) and GNU time (peak memory).
bench=(libjpeg-turbo-progs time imagemagick)

want=()
for group in "$@"; do
  case "$group" in
    native) want+=("${native[@]}") ;;
    windows) want+=("${windows[@]}") ;;
    fuzz) want+=("${fuzz[@]}") ;;
    art) want+=("${art[@]}") ;;
    release) want+=("${release[@]}") ;;
    bench) want+=("${bench[@]}") ;;
    all) want+=("${native[@]}" "${windows[@]}" "${fuzz[@]}" "${art[@]}" "${release[@]}" "${bench[@]}") ;;
    *) echo "deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
