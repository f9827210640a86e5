#!/usr/bin/env bash
# The command-line tool beside the programs people would use to look at the
# same mesh: a grid of 1,000,000 quadrilaterals written as a model file and
# as a binary PLY file of the same vertices and faces.
#   loading: quelbir-cli info on the model file, `assimp info -r` on the PLY,
#            and `cat` of the model file's bytes;
#   drawing: quelbir-cli render ("3-Views") against `f3d --output` on the PLY.
# Each command runs RUNS times (default 5); the medians and their ratios are
# printed. Installs assimp-utils and f3d when missing (apt-get, as root or
# through sudo), unless PEERS_INSTALL=0: the missing programs are then left
# out of the comparison. Not part of the test suite: timings depend on the
# machine.
# Usage: bench/peers.sh [BUILD_DIR]     (RUNS=N, COLUMNS=, ROWS=, PEERS_INSTALL=0)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
runs=${RUNS:-5}
columns=${COLUMNS:-1000}
rows=${ROWS:-1000}

missing=()
command -v assimp >/dev/null || missing+=(assimp-utils)
command -v f3d >/dev/null || missing+=(f3d)
if [ ${#missing[@]} -gt 0 ] && [ "${PEERS_INSTALL:-1}" = 0 ]; then
  echo "peers: left out, not installed: ${missing[*]}"
elif [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target quelbir-cli write_grid_files >/dev/null
cli="$build/cli/quelbir-cli"

# f3d needs a display for its window even when it only writes a picture.
# Without one, the measuring runs under one virtual X server for all runs, so
# no run pays for starting a server.
if [ -z "${DISPLAY:-}" ] && [ -z "${PEERS_UNDER_XVFB:-}" ] && command -v xvfb-run >/dev/null; then
  PEERS_UNDER_XVFB=1 exec env PEERS_INSTALL="${PEERS_INSTALL:-1}" xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
model="$work/grid.iff"
ply="$work/grid.ply"
"$build/bench/model/write_grid_files" "$model" "$ply" "$columns" "$rows"


# Median wall-clock seconds of RUNS runs of the command; its output is dropped,
# and a failing run stops the script.
median() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/stderr" || { echo "peers: failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { printf "%.3f", (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}

echo "peers: $((columns * rows)) quadrilaterals; model file $(stat -c %s "$model") bytes, PLY $(stat -c %s "$ply") bytes; $runs runs each, medians"
cat_s=$(median cat "$model")
info_s=$(median "$cli" info "$model")
render_s=$(median "$cli" render "$model" -o "$work/quelbir.png")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-40s %8s s\n' "cat (model file)" "$cat_s" "quelbir-cli info" "$info_s" "quelbir-cli render (3-Views)" "$render_s"
echo "loading: info / cat = $(ratio "$info_s" "$cat_s")   (goal: at most 2)"
if command -v assimp >/dev/null; then
  assimp_s=$(median assimp info "$ply" -r)
  printf '%-40s %8s s\n' "assimp info -r (PLY)" "$assimp_s"
  echo "loading: info / assimp = $(ratio "$info_s" "$assimp_s")   (goal: below 1)"
fi
if command -v f3d >/dev/null; then
  f3d_s=$(median f3d --output "$work/f3d.png" "$ply")
  printf '%-40s %8s s\n' "f3d --output (PLY)" "$f3d_s"
  echo "drawing: render / f3d = $(ratio "$render_s" "$f3d_s")   (goal: at most 0.6)"
fi
