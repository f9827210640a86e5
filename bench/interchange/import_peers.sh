#!/usr/bin/env bash
# `quelbir-cli import` beside `assimp info` reading the same mesh: grids of
# 100,000 and 1,000,000 quadrilaterals written as a model file, exported as
# glTF (.glb) and OBJ, then imported into a new model file. Prints the median
# wall-clock time and the largest peak memory of RUNS runs (default 3) of
# each, and their ratios. Installs assimp-utils when missing (as peers.sh
# does), unless PEERS_INSTALL=0: assimp is then left out. Not part of the
# test suite: timings depend on the machine.
# Usage: bench/interchange/import_peers.sh [BUILD_DIR]     (RUNS=N, PEERS_INSTALL=0)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-"$here/build"}
runs=${RUNS:-3}

if ! command -v assimp >/dev/null && [ "${PEERS_INSTALL:-1}" != 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq assimp-utils
fi
cmake --build "$build" --target quelbir-cli write_grid_files >/dev/null
cli="$build/cli/quelbir-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "SECONDS KILOBYTES": the median time and the largest peak memory of RUNS runs.
measure() {
  local times=() peak=0 line
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/stderr" ||
      { echo "import_peers: failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    read -r line <"$work/time"
    times+=("${line% *}")
    [ "${line#* }" -gt "$peak" ] && peak=${line#* }
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v peak="$peak" '{t[NR]=$1} END {print t[int((NR+1)/2)], peak}'
}

printf '%-10s %-5s %-24s %-24s %s\n' faces form "quelbir-cli import" "assimp info" "ratio (time, memory)"
for size in "400 250" "1000 1000"; do
  read -r columns rows <<<"$size"
  faces=$((columns * rows))
  "$build/bench/model/write_grid_files" "$work/grid.iff" "$work/grid.ply" "$columns" "$rows"
  for form in glb obj; do
    "$cli" export "$work/grid.iff" -o "$work/grid.$form" 2>/dev/null
    read -r ours ours_kb < <(measure "$cli" import "$work/grid.$form" -o "$work/new.iff")
    if command -v assimp >/dev/null; then
      read -r peer peer_kb < <(measure assimp info "$work/grid.$form")
      ratio=$(awk -v a="$ours" -v b="$peer" -v c="$ours_kb" -v d="$peer_kb" 'BEGIN {printf "%.2f, %.2f", a / b, c / d}')
    else
      peer="-" peer_kb="-" ratio="-"
    fi
    printf '%-10s %-5s %-24s %-24s %s\n' "$faces" "$form" "$ours s, $((ours_kb / 1024)) MiB" \
      "$peer s, ${peer_kb/#[0-9]*/$((peer_kb / 1024))} MiB" "$ratio"
  done
done
