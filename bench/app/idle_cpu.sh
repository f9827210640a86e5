#!/usr/bin/env bash
# The editor's window left alone with a model of 1,000,000 faces open (a grid
# of quadrilaterals, hardpoint and sphere included): the CPU the process uses
# over 10 s once the model is loaded and drawn, as a share of one core, beside
# the empty window's in the same run. Not part of the test suite: figures
# depend on the machine. Runs under one Xvfb when no display is set.
# Usage: bench/app/idle_cpu.sh [BUILD_DIR]     (SECONDS_IDLE=N to change)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-"$here/build"}
idle=${SECONDS_IDLE:-10}
if [ -z "${DISPLAY:-}" ] && [ -z "${IDLE_UNDER_XVFB:-}" ]; then
  IDLE_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi
cmake --build "$build" --target quelbir write_grid_files >/dev/null
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
"$build/bench/model/write_grid_files" "$work/grid.iff" "$work/grid.ply" 1000 1000 window

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# CPU share of one core over $idle seconds, once the process has settled (less
# than 0.1 s of CPU in one second, at most two minutes for loading).
measure() {
  "$build/app/quelbir" "$@" >/dev/null 2>&1 &
  pid=$!
  local last now
  last=$(ticks "$pid")
  for ((i = 0; i < 120; i++)); do
    sleep 1
    now=$(ticks "$pid")
    [ $((now - last)) -lt $((hz / 10)) ] && break
    last=$now
  done
  last=$(ticks "$pid")
  sleep "$idle"
  now=$(ticks "$pid")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
  awk -v t=$((now - last)) -v hz="$hz" -v s="$idle" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}

empty=$(measure)
million=$(measure "$work/grid.iff")
echo "idle over ${idle} s, percent of one core: empty window $empty, 1,000,000 faces open $million   (goal: at most 5)"
