#!/usr/bin/env bash
# The Debian package as the build makes it: named and versioned after the
# project, depending on the packages of the libraries it links, holding the
# installed files under /usr and nothing else, and its programs run.
# Usage: PackageTest.sh BUILD_DIR VERSION WITH_WINDOW(0|1)
set -u
build=$1
version=$2
with_window=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() {  # description, command...
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir" >"$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log"; exit 1; }
deb=$dir/quelbir_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAILED: no $deb; made: $(ls "$dir")"; exit 1; }

check "the package is quelbir" test "$(dpkg-deb -f "$deb" Package)" = quelbir
check "the version is the project's" test "$(dpkg-deb -f "$deb" Version)" = "$version"
# The package names alone, one a line.
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//')
needed=(libc6 libstdc++6 libpng16-16 zlib1g libegl1 libopengl0 libegl-mesa0 libgl1-mesa-dri)
[ "$with_window" = 1 ] && needed+=(libqt6widgets6 libqt6openglwidgets6)
for p in "${needed[@]}"; do
  check "the package depends on $p" grep -qxF "$p" <<<"$depends"
done

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./||' | sort)
expected=(usr/bin/quelbir-cli usr/share/man/man1/quelbir-cli.1.gz usr/share/bash-completion/completions/quelbir-cli
          usr/share/mime/packages/quelbir.xml usr/share/thumbnailers/quelbir.thumbnailer)
[ "$with_window" = 1 ] && expected+=(usr/bin/quelbir usr/share/man/man1/quelbir.1.gz
                                     usr/share/applications/quelbir.desktop
                                     usr/share/icons/hicolor/scalable/apps/quelbir.svg
                                     usr/share/icons/hicolor/48x48/apps/quelbir.png
                                     usr/share/icons/hicolor/256x256/apps/quelbir.png)
check "the package holds the program's files and nothing else" \
  test "$files" = "$(printf '%s\n' "${expected[@]}" | sort)"

dpkg-deb -x "$deb" "$dir/root"
check "the packaged quelbir-cli runs" test "$("$dir/root/usr/bin/quelbir-cli" --version)" = "quelbir-cli $version"
exit "$failures"
