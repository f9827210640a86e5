#!/usr/bin/env bash
# The program as a user installs it: into an empty prefix, run from there
# without the build folder, with its desktop entry, file type, thumbnailer
# and completion doing their jobs through the system's own tools.
# Usage: InstallTest.sh BUILD_DIR VERSION WITH_WINDOW(0|1)
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

prefix=$dir/prefix
cmake --install "$build" --prefix "$prefix" >"$dir/install.log" 2>&1 || { cat "$dir/install.log"; exit 1; }
share=$prefix/share
expected=(bin/quelbir-cli share/man/man1/quelbir-cli.1.gz share/bash-completion/completions/quelbir-cli
          share/mime/packages/quelbir.xml share/thumbnailers/quelbir.thumbnailer)
[ "$with_window" = 1 ] && expected+=(bin/quelbir share/man/man1/quelbir.1.gz share/applications/quelbir.desktop
                                     share/icons/hicolor/scalable/apps/quelbir.svg
                                     share/icons/hicolor/48x48/apps/quelbir.png
                                     share/icons/hicolor/256x256/apps/quelbir.png)
for f in "${expected[@]}"; do check "$f is installed" test -f "$prefix/$f"; done
# Nothing else: no tests, benchmarks or fuzzers.
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
check "only the program's files are installed" \
  test "$installed" = "$(printf '%s\n' "${expected[@]}" | sort)"

# The installed programs, with the build folder nowhere on the path.
export PATH=$prefix/bin:/usr/bin:/bin
check "quelbir-cli --version" test "$(quelbir-cli --version)" = "quelbir-cli $version"
cd "$dir" || exit 1
quelbir-cli sample sample.iff
check "quelbir-cli info on the sample" test "$(quelbir-cli info sample.iff | head -n 2)" = \
  "$(printf 'file: sample.iff\nshape: level of detail')"
if [ "$with_window" = 1 ]; then
  # Without any display: both answer and end, no window is tried.
  check "quelbir --version" test "$(env -u DISPLAY -u WAYLAND_DISPLAY quelbir --version)" = "quelbir $version"
  check "quelbir --help" grep -q '^Usage: quelbir \[FILE\]' <(env -u DISPLAY -u WAYLAND_DISPLAY quelbir --help)
  # No error, warning or hint.
  check "the desktop entry validates" test -z "$(desktop-file-validate "$share/applications/quelbir.desktop" 2>&1)"
fi

# The file type, in a data folder of its own beside the system's types.
mkdir -p "$dir/xdg/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/quelbir.xml" "$dir/xdg/mime/packages/"
update-mime-database "$dir/xdg/mime" >/dev/null 2>&1
filetype() {
  env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION XDG_DATA_HOME="$dir/none" XDG_DATA_DIRS="$dir/xdg" \
    xdg-mime query filetype "$1"
}
quelbir-cli sample single.iff --single
printf 'FORM\000\000\000\014TXTRDATA\000\000\000\000' >texture.iff
cp sample.iff unnamed
check "a model file is a model" test "$(filetype sample.iff)" = application/x-quelbir-model
check "a single-mesh file is a model" test "$(filetype single.iff)" = application/x-quelbir-model
check "a model is known by its contents alone" test "$(filetype unnamed)" = application/x-quelbir-model
printf 'FORM\000\000\000\034SHIPFORM\000\000\000\020MESHFORM\000\000\000\0040000' >othertop.iff
check "a level file with another top form type is a model" test "$(filetype othertop.iff)" = application/x-quelbir-model
check "another IFF file is not a model" test "$(filetype texture.iff)" != application/x-quelbir-model

# The thumbnailer's own command, as a file manager runs it.
thumbnail() {  # input, output, size
  local command
  command=$(sed -n 's/^Exec=//p' "$share/thumbnailers/quelbir.thumbnailer")
  command=${command//%s/$3}
  command=${command//%o/$2}
  command=${command//%i/$1}
  eval "$command"
}
check "the thumbnailer names the model type" \
  grep -qx 'MimeType=application/x-quelbir-model;' "$share/thumbnailers/quelbir.thumbnailer"
mkdir thumbs
if thumbnail "$dir/sample.iff" "$dir/thumbs/sample.png" 128 2>"$dir/err"; then
  check "the thumbnail is a square PNG of the asked size" \
    grep -q 'PNG image data, 128 x 128' <(file "$dir/thumbs/sample.png")
elif grep -q '^THeadlessGL: ' "$dir/err"; then
  echo "note: no headless OpenGL here, thumbnail not painted: $(cat "$dir/err")"
else
  check "the thumbnailer paints the sample ($(cat "$dir/err"))" false
fi
printf 'FORM\000\000\000\004DETA' >broken.iff
thumbnail "$dir/broken.iff" "$dir/thumbs/broken.png" 128 2>/dev/null
check "a broken file's thumbnail fails with status 1" test "$?" -eq 1
check "a broken file leaves no picture" test ! -e "$dir/thumbs/broken.png"
check "a broken file leaves no part of one" test "$(ls "$dir/thumbs" | grep -c broken)" -eq 0

# Completion offers the installed tool's subcommands and options.
completions() {
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _quelbir_cli
           printf "%s\n" "${COMPREPLY[@]}"' _ "$share/bash-completion/completions/quelbir-cli" "$@"
}
check "completion offers the subcommands" grep -qx thumbnail <(completions quelbir-cli th)
check "completion offers a subcommand's options" grep -qx -- --json <(completions quelbir-cli info --j)

exit "$failures"
