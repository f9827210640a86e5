#!/usr/bin/env bash
# Loading against reading the bytes, in one run:
#   quelbir-cli info on a grid of 1,000,000 quadrilaterals against `cat` of
#   the same file;
#   what 100,000 hardpoints add to loading a model: `sphere --fit` of a model
#   with 100,000 hardpoints less `sphere --fit` of the same model with one,
#   against `cat` of the larger file.
# Each command runs RUNS times (default 9); its CPU time (or, without perf,
# its median wall-clock time) and the ratios are printed. Not part of the test suite: timings depend on the machine.
# Usage: bench/model/load_ratios.sh [BUILD_DIR]     (RUNS=N)
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-"$here/build"}
runs=${RUNS:-9}
cmake --build "$build" --target quelbir-cli write_grid_files write_hardpoint_model >/dev/null
cli="$build/cli/quelbir-cli"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/model/write_grid_files" "$work/grid.iff" "$work/grid.ply" 1000 1000
"$build/bench/interchange/write_hardpoint_model" "$work/many.iff" 100000
"$build/bench/interchange/write_hardpoint_model" "$work/one.iff" 1

# The time a command takes, its output dropped: with `perf` the CPU time it
# used (task-clock, kernel included, mean of RUNS runs), which other programs
# busy on the machine do not inflate; else the median wall-clock time of RUNS
# runs. Milliseconds.
measure() {
  if command -v perf >/dev/null && perf stat -e task-clock true >/dev/null 2>&1; then
    perf stat -r "$runs" -x, -e task-clock "$@" 2>&1 >/dev/null | awk -F, '/task-clock/ { printf "%.3f", $1 }'
    return
  fi
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/stderr" || { echo "load_ratios: failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print (b - a) * 1000 }')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { printf "%.3f", (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

cat_grid=$(measure cat "$work/grid.iff")
info_grid=$(measure "$cli" info "$work/grid.iff")
cat_many=$(measure cat "$work/many.iff")
fit_many=$(measure "$cli" sphere "$work/many.iff" --fit)
fit_one=$(measure "$cli" sphere "$work/one.iff" --fit)
added=$(awk -v a="$fit_many" -v b="$fit_one" 'BEGIN { printf "%.4f", a - b }')

echo "load_ratios: $runs runs each (milliseconds)"
printf '%-52s %8s\n' "cat, 1,000,000-quad grid ($(stat -c %s "$work/grid.iff") bytes)" "$cat_grid" \
  "quelbir-cli info, the grid" "$info_grid" \
  "cat, 100,000 hardpoints ($(stat -c %s "$work/many.iff") bytes)" "$cat_many" \
  "quelbir-cli sphere --fit, 100,000 hardpoints" "$fit_many" \
  "quelbir-cli sphere --fit, 1 hardpoint" "$fit_one"
echo "info / cat (grid) = $(ratio "$info_grid" "$cat_grid")   (goal: at most 2)"
echo "hardpoints' share of the fit / cat = $(ratio "$added" "$cat_many")   (goal: at most 10)"
