#!/usr/bin/env bash
# The Debian package as the build makes it: named and versioned after the
# project, depending on the packages of the libraries it links, holding the
# installed files under /usr and nothing else, and its programs run.
# Debian's own checker (lintian) finds nothing to say, the programs carry the
# distribution's hardening, and the same sources give the same bytes.
# A build that is no release build must be refused instead.
# Usage: PackageTest.sh BUILD_DIR VERSION WITH_WINDOW(0|1) RELEASE_BUILD(ON|OFF)
set -u
build=$1
version=$2
with_window=$3
release=$4
. "$(dirname "$0")/../support/Checks.sh"

if [ "$release" != ON ]; then
  if cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir" >"$dir/cpack.log" 2>&1; then
    echo "FAILED: a build that is not a release build was packaged"; exit 1
  fi
  check "the refusal says why" grep -q 'is not a release build' "$dir/cpack.log"
  check "nothing is packaged" test -z "$(ls "$dir"/*.deb 2>/dev/null)"
  echo "note: not a release build, so the package itself is checked in a release build"
  exit "$failures"
fi

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
          usr/share/mime/packages/quelbir.xml usr/share/thumbnailers/quelbir.thumbnailer
          usr/share/doc/quelbir/copyright usr/share/doc/quelbir/changelog.gz usr/share/doc/quelbir/README.md)
if [ "$with_window" = 1 ]; then
  expected+=(usr/bin/quelbir usr/share/man/man1/quelbir.1.gz usr/share/applications/quelbir.desktop
             usr/share/metainfo/invalid.quelbir.editor.metainfo.xml usr/share/icons/hicolor/scalable/apps/quelbir.svg)
  for size in 16 22 24 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${size}x$size/apps/quelbir.png"); done
fi
check "the package holds the program's files and nothing else" \
  test "$files" = "$(printf '%s\n' "${expected[@]}" | sort)"

dpkg-deb -x "$deb" "$dir/root"
check "the packaged quelbir-cli runs" test "$("$dir/root/usr/bin/quelbir-cli" --version)" = "quelbir-cli $version"

# The documentation folder.
doc=$dir/root/usr/share/doc/quelbir
check "the copyright is machine-readable" \
  test "$(head -n 1 "$doc/copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
check "the changelog is gzip -n (no name, no date)" test "$(od -An -tu4 -j4 -N4 "$doc/changelog.gz" | tr -d ' ')" = 0
check "the changelog's entry is this version's" grep -q "^quelbir ($version) " <(zcat "$doc/changelog.gz")
check "the README is the project's" cmp -s "$doc/README.md" "$(cd "$(dirname "$0")/../.." && pwd)/README.md"

# Hardening, as the distribution builds: immediate binding, fortified and
# stack-protected code, and no compiler notes.
programs=(quelbir-cli)
[ "$with_window" = 1 ] && programs+=(quelbir)
for p in "${programs[@]}"; do
  elf=$dir/root/usr/bin/$p
  check "$p binds at start (BIND_NOW)" grep -qE 'BIND_NOW|FLAGS_1.*NOW' <(readelf -d "$elf")
  check "$p calls fortified functions" grep -q '__[a-z]*_chk' <(readelf --dyn-syms -W "$elf")
  check "$p is stack-protected" grep -q '__stack_chk_fail' <(readelf --dyn-syms -W "$elf")
  check "$p has no .comment" test -z "$(readelf -S -W "$elf" | grep -F ' .comment ')"
done

# Reproducible: packaged again a moment later, with every installed file
# made anew, the bytes are the same.
mkdir "$dir/again"
sleep 1
touch "$build/data/changelog.gz" "$build/cli/quelbir-cli"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$dir/again" >"$dir/cpack.log" 2>&1 || { cat "$dir/cpack.log"; exit 1; }
check "the package is the same bytes when made again" cmp -s "$deb" "$dir/again/$(basename "$deb")"

# Debian's checker: no error and no warning (its notes are shown, not judged).
if command -v lintian >/dev/null; then
  lintian --info "$deb" >"$dir/lintian.log" 2>&1
  grep -v '^[EW]: ' "$dir/lintian.log"
  check "lintian reports no error or warning: $(grep '^[EW]: ' "$dir/lintian.log" | tr '\n' ' ')" \
    test -z "$(grep '^[EW]: ' "$dir/lintian.log")"
else
  check "lintian is installed (scripts/setup.sh)" false
fi
exit "$failures"
