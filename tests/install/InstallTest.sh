#!/usr/bin/env bash
# The program as a user installs it: into an empty prefix, run from there
# without the build folder, with its desktop entry, file type, thumbnailer
# and completion doing their jobs through the system's own tools.
# Usage: InstallTest.sh BUILD_DIR VERSION WITH_WINDOW(0|1)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$1
version=$2
with_window=$3
. "$here/../support/Checks.sh"

prefix=$dir/prefix
cmake --install "$build" --prefix "$prefix" >"$dir/install.log" 2>&1 || { cat "$dir/install.log"; exit 1; }
share=$prefix/share
expected=(bin/quelbir-cli share/man/man1/quelbir-cli.1.gz share/bash-completion/completions/quelbir-cli
          share/mime/packages/quelbir.xml share/thumbnailers/quelbir.thumbnailer
          share/doc/quelbir/copyright share/doc/quelbir/changelog.gz share/doc/quelbir/README.md)
sizes=(16 22 24 32 48 64 128 256)
if [ "$with_window" = 1 ]; then
  expected+=(bin/quelbir share/man/man1/quelbir.1.gz share/applications/quelbir.desktop
             share/metainfo/invalid.quelbir.editor.metainfo.xml share/icons/hicolor/scalable/apps/quelbir.svg)
  for size in "${sizes[@]}"; do expected+=("share/icons/hicolor/${size}x$size/apps/quelbir.png"); done
fi
for f in "${expected[@]}"; do check "$f is installed" test -f "$prefix/$f"; done
# Nothing else: no tests, benchmarks or fuzzers.
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
check "only the program's files are installed" \
  test "$installed" = "$(printf '%s\n' "${expected[@]}" | sort)"

# The installed programs, with the build folder nowhere on the path.
export PATH=$prefix/bin:/usr/bin:/bin
check "quelbir-cli --version" test "$(quelbir-cli --version)" = "quelbir-cli $version"
# A word it does not know is named on standard error, with exit status 2.
for word in --bogus nosuch; do
  quelbir-cli "$word" >"$dir/out" 2>"$dir/err"
  check "quelbir-cli $word exits 2" test $? -eq 2
  check "quelbir-cli $word names it: $(head -n 1 "$dir/err")" grep -qF -- "$word" "$dir/err"
done
cd "$dir" || exit 1
quelbir-cli sample sample.iff
check "quelbir-cli info on the sample" test "$(quelbir-cli info sample.iff | head -n 2)" = \
  "$(printf 'file: sample.iff\nshape: level of detail')"
if [ "$with_window" = 1 ]; then
  # Without any display: both answer and end, no window is tried.
  check "quelbir --version" test "$(env -u DISPLAY -u WAYLAND_DISPLAY quelbir --version)" = "quelbir $version"
  check "quelbir --help" grep -q '^Usage: quelbir \[FILE\]' <(env -u DISPLAY -u WAYLAND_DISPLAY quelbir --help)
  # An unknown option is a usage error, before any window. Without a display
  # the offscreen platform loads no X11 or OpenGL libraries.
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen quelbir --bogus >"$dir/out" 2>"$dir/err"
  check "quelbir --bogus exits 2" test $? -eq 2
  check "quelbir --bogus names it on standard error" grep -q -- '--bogus' "$dir/err"
  # On a display: the window shows the program's icon at the usual sizes and
  # opens empty for a file that does not exist, saying so.
  window_check() {
    quelbir "missing file.iff" 2>"$dir/err" &
    local pid=$! i
    for i in $(seq 300); do xprop -name "QUELBIR Editor" WM_CLASS >/dev/null 2>&1 && break; sleep 0.1; done
    xprop -name "QUELBIR Editor" >"$dir/props" 2>&1
    kill "$pid"
    wait "$pid" 2>/dev/null
  }
  # A display of its own: on a shared one the window tests running beside
  # this one show windows of the same title. The server picks a free number
  # itself and writes it once it takes connections, so no other display
  # starting beside it can take the number first (as with xvfb-run -a).
  if command -v Xvfb >/dev/null; then
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$dir/display" 2>"$dir/xvfb.log" &
    xvfb=$!
    for i in $(seq 300); do [ -s "$dir/display" ] && break; sleep 0.1; done
    if [ -s "$dir/display" ]; then
      DISPLAY=:$(head -n 1 "$dir/display") window_check
    else
      echo "Xvfb gave no display: $(cat "$dir/xvfb.log")" | tee "$dir/props"
    fi
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null
  else
    window_check
  fi
  for size in 16 32 48 128; do
    check "the window's icon holds ${size}x$size" grep -q "Icon ($size x $size)" "$dir/props"
  done
  check "the window is the desktop entry's" grep -qx 'WM_CLASS(STRING) = "quelbir", "quelbir"' "$dir/props"
  check "a missing file is said on standard error: $(cat "$dir/err")" \
    grep -qx 'quelbir: missing file.iff: no such file; the window opens empty' "$dir/err"
  # No error, warning or hint.
  check "the desktop entry validates" test -z "$(desktop-file-validate "$share/applications/quelbir.desktop" 2>&1)"
  check "the desktop entry asks for startup notification" grep -qx 'StartupNotify=true' "$share/applications/quelbir.desktop"
  for size in "${sizes[@]}"; do
    check "the ${size}px icon is ${size}px" grep -q "PNG image data, $size x $size" \
      <(file "$share/icons/hicolor/${size}x$size/apps/quelbir.png")
  done
  # Software centres: the metadata validates (no network: the screenshot's
  # address is not fetched), and its screenshot is the README's picture.
  metainfo=$share/metainfo/invalid.quelbir.editor.metainfo.xml
  appstreamcli validate --no-net "$metainfo" >"$dir/appstream.log" 2>&1
  check "the AppStream metadata validates: $(cat "$dir/appstream.log")" test $? -eq 0
  check "the AppStream screenshot is the README's picture" grep -qF \
    "$(sed -n 's|.*<image>https://[^/]*/\(.*\)</image>.*|\1|p' "$metainfo")" "$share/doc/quelbir/README.md"
  check "the AppStream entry launches the desktop entry" grep -qF '>quelbir.desktop</launchable>' "$metainfo"
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
check "a model without a thumbnail has a generic icon" \
  grep -qx 'application/x-quelbir-model:image-x-generic' "$dir/xdg/mime/generic-icons"

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
check "completion offers import's options" grep -qx -- --make-levels <(completions quelbir-cli import m.glb --make)
# A view name typed in a terminal, with a tab: bare, inside quotes, after "=".
# The command is a stand-in that writes the words it gets.
typed() {
  rm -f "$dir/words"
  python3 "$here/TypeInTerminal.py" "$share/bash-completion/completions/quelbir-cli" "$dir/words" \
    quelbir-cli "$1"
  tail -n 1 "$dir/words" 2>/dev/null
}
while IFS='|' read -r line word; do
  check "completion of: $line" test "$(typed "$line")" = "$word"
done <<'EOF'
quelbir-cli render a.iff --view S|Side View
quelbir-cli render a.iff --view "S|Side View
quelbir-cli thumbnail a.iff --view 'T|Top View
quelbir-cli render a.iff --view=B|--view=Back View
quelbir-cli render a.iff --view="3|--view=3-Views
quelbir-cli thumbnail a.iff --view b|back
quelbir-cli render a.iff --view 3-v|3-views
EOF

exit "$failures"
