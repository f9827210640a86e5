#!/usr/bin/env bash
# Builds the program and makes its Debian package in BUILD_DIR/package
# (default build/package), printing the package's path.
# Install it with: apt-get install ./build/package/quelbir_*.deb
# Only a release build is packaged (cpack refuses a sanitizer, fuzzing or
# debug build), with the last commit's date on every file.
# Usage: scripts/package.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
# A folder already set up is asked before it is built whether it may be
# packaged at all (the same check that cpack makes as it starts).
if [ -f "$build/data/CPackProject.cmake" ]; then
  cmake -P "$build/data/CPackProject.cmake" || exit 1
fi
"$here/scripts/setup.sh" test "$build"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build/package" >"$build/package.log" 2>&1 ||
  { cat "$build/package.log"; exit 1; }
rm -rf "$build/package/_CPack_Packages"
ls "$build"/package/quelbir_*.deb
