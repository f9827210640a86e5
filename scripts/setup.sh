#!/usr/bin/env bash
# Installs every Debian package the project needs (idempotent), then configures
# and builds the given build folder. Usage: scripts/setup.sh [BUILD_DIR] [extra cmake args...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
packages=(
  cmake ninja-build g++ pkg-config
  zlib1g-dev libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri
  qt6-base-dev libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  libcli11-dev nlohmann-json3-dev libpng-dev
  clang libclang-rt-14-dev clang-format-14
  locales util-linux
  desktop-file-utils xdg-utils libfile-mimeinfo-perl shared-mime-info dpkg-dev file groff-base
  libtinygltf-dev nodejs
  blender python3-numpy
  mandoc lintian appstream tumbler dbus-daemon dbus-bin x11-utils python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Some Node.js builds bring npm along; Debian's own nodejs needs the npm package.
command -v npm >/dev/null 2>&1 || missing+=(npm)
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
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [ $# -gt 0 ]; then
  cmake -S "$here" -B "$build" "$@"
fi
cmake --build "$build"
