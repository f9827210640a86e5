#!/usr/bin/env bash
# Installs the Debian packages of one set (idempotent), then configures and
# builds the given build folder.
#   run:  what building and running the two programs needs; builds only
#         quelbir and quelbir-cli (a new folder is configured without the
#         tests and benchmarks, whose packages the set leaves out)
#   test: everything the project needs (run's packages and the tools of the
#         tests, benchmarks, fuzzing and packaging); builds every target
# Usage: scripts/setup.sh run|test [BUILD_DIR] [extra cmake args...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
set_name=${1:-}
case "$set_name" in
  run | test) shift ;;
  *) echo "usage: scripts/setup.sh run|test [BUILD_DIR] [extra cmake args...]" >&2; exit 2 ;;
esac
# The one list of the project's packages.
run_packages=(
  cmake ninja-build g++ pkg-config dpkg-dev
  zlib1g-dev libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri
  qt6-base-dev libqt6opengl6-dev
  libcli11-dev nlohmann-json3-dev libpng-dev libtinygltf-dev libstb-dev
  libmeshoptimizer-dev libgraphicsmagick1-dev libjpeg-dev
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  clang libclang-rt-14-dev clang-format-14
  locales util-linux
  desktop-file-utils xdg-utils libfile-mimeinfo-perl shared-mime-info file groff-base
  nodejs
  blender python3-numpy
  mandoc lintian appstream tumbler dbus-daemon dbus-bin x11-utils python3
)
packages=("${run_packages[@]}")
[ "$set_name" = test ] && packages+=("${test_packages[@]}")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Some Node.js builds bring npm along; Debian's own nodejs needs the npm package.
[ "$set_name" = test ] && ! command -v npm >/dev/null 2>&1 && missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
build=${1:-"$here/build"}
shift || true
# A new folder is configured from scratch; an existing one again when CMake
# arguments are given, so that they take effect there too.
if [ ! -f "$build/build.ninja" ]; then
  [ "$set_name" = run ] && set -- -DQUELBIR_TESTS=OFF -DQUELBIR_BENCH=OFF "$@"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [ $# -gt 0 ]; then
  cmake -S "$here" -B "$build" "$@"
fi
if [ "$set_name" = run ]; then
  cmake --build "$build" --target quelbir quelbir-cli
else
  cmake --build "$build"
fi
