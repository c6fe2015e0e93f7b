#!/bin/bash
# A dropped folder of 20,000 pictures in 100 folders, with links back up
# inside (a Unix symbolic link shows to Wine as a folder link): the window
# answers while it is scanned, and each picture comes in once.
#   tests/e2e/big_folder.sh BUILD_DIR
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/windows}
tests=$(realpath "$build/vistelle_win_tests.exe")
work=$(mktemp -d "${TMPDIR:-/tmp}/vistelle-big.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT
big="$work/Big pictures"
for folder in $(seq -w 1 100); do
  mkdir -p "$big/$folder"
  (cd "$big/$folder" && touch $(seq -f "IMG_%04g.jpg" 1 200))
done
ln -s .. "$big/050/up"
ln -s "$big" "$big/077/again"
export VISTELLE_BIG_FOLDER="Z:${big//\//\\}" VISTELLE_BIG_FOLDER_PICTURES=20000
"$root/tools/wine-run" "$tests" --gtest_filter='TSkinWindow.ABigFolderIsAddedWhileTheWindowAnswers' --gtest_color=no \
  >"$work/log" 2>&1
status=$?
cat "$work/log"
if [ "$status" -ne 0 ] || ! grep -q '^\[  PASSED  \] 1 test' "$work/log"; then
  echo "big_folder: FAILED"
  exit 1
fi
echo "big_folder: ok"
