#!/usr/bin/env bash
# Xfce's thumbnail service asked for a model file's thumbnail, as a file
# manager asks it: tumbler, started by a private session bus, finds the
# installed thumbnailer through XDG_DATA_DIRS, runs it, and the picture
# appears in the thumbnail cache under the name the freedesktop.org cache
# gives the file's URI. Skipped (77) where tumbler or D-Bus is missing, or
# the machine cannot paint headless.
# Usage: TumblerTest.sh BUILD_DIR
set -u
build=$1
for tool in dbus-run-session dbus-send dbus-monitor; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
tumblerd=$(ls /usr/lib/*/tumbler-1/tumblerd 2>/dev/null | head -n 1)
[ -n "$tumblerd" ] || { echo "SKIP: tumbler is not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

prefix=$dir/prefix
cmake --install "$build" --prefix "$prefix" >"$dir/install.log" 2>&1 || { cat "$dir/install.log"; exit 1; }
"$prefix/bin/quelbir-cli" sample "$dir/model.iff" >/dev/null || exit 1
if ! "$prefix/bin/quelbir-cli" thumbnail "$dir/model.iff" -o "$dir/direct.png" -s 128 2>"$dir/err"; then
  grep -q '^THeadlessGL: ' "$dir/err" && { echo "SKIP: no headless OpenGL here: $(cat "$dir/err")"; exit 77; }
  echo "FAILED: the thumbnailer's own command: $(cat "$dir/err")"
  exit 1
fi

# The service's whole world: the installed programs first on the path, the
# installed data (the thumbnailer) beside the system's (the service's bus
# activation file), and a cache of its own.
export PATH=$prefix/bin:/usr/bin:/bin
export XDG_DATA_DIRS=$prefix/share:/usr/share
export XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache XDG_CONFIG_HOME=$dir/config
uri=file://$dir/model.iff
thumb=$XDG_CACHE_HOME/thumbnails/normal/$(printf '%s' "$uri" | md5sum | cut -d' ' -f1).png
export uri thumb dir
dbus-run-session -- bash -c '
  dbus-monitor --session "interface=org.freedesktop.thumbnails.Thumbnailer1" >"$dir/signals" 2>&1 &
  monitor=$!
  dbus-send --session --print-reply --dest=org.freedesktop.thumbnails.Thumbnailer1 \
    /org/freedesktop/thumbnails/Thumbnailer1 org.freedesktop.thumbnails.Thumbnailer1.Queue \
    "array:string:$uri" array:string:application/x-quelbir-model string:normal string:default uint32:0 \
    >"$dir/reply" 2>&1 || { cat "$dir/reply"; kill "$monitor"; exit 1; }
  # The service answers at once and works in the background: wait for its
  # "Finished" signal (a bound on the wait, not on the time it takes).
  for _ in $(seq 600); do
    grep -q "member=Finished" "$dir/signals" && break
    sleep 0.1
  done
  kill "$monitor"
' 2>"$dir/bus.log"
[ $? -eq 0 ] || { cat "$dir/bus.log"; exit 1; }
# The service's own cache entry: its size, and the file's address in it.
if [ -f "$thumb" ] && file "$thumb" | grep -q 'PNG image data, 128 x 128' && grep -qaF "$uri" "$thumb"; then
  exit 0
fi
echo "FAILED: no thumbnail in the cache ($thumb); the service said:"
grep -A8 'member=Error' "$dir/signals" || cat "$dir/signals" "$dir/bus.log"
exit 1
