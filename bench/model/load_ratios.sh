#!/usr/bin/env bash
# Loading against reading the bytes, in one run:
#   quelbir-cli info on a grid of 1,000,000 quadrilaterals against `cat` of
#   the same file;
#   what 100,000 hardpoints add to loading a model: `sphere --fit` of a model
#   with 100,000 hardpoints less `sphere --fit` of the same model with one,
#   against `cat` of the larger file.
# Each command runs RUNS times (default 9); medians and their ratios are
# printed. Not part of the test suite: timings depend on the machine.
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

# Median wall-clock seconds of RUNS runs of the command, its output dropped.
median() {
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s.%N)
    "$@" >/dev/null 2>"$work/stderr" || { echo "load_ratios: failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { printf "%.4f", (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

cat_grid=$(median cat "$work/grid.iff")
info_grid=$(median "$cli" info "$work/grid.iff")
cat_many=$(median cat "$work/many.iff")
fit_many=$(median "$cli" sphere "$work/many.iff" --fit)
fit_one=$(median "$cli" sphere "$work/one.iff" --fit)
added=$(awk -v a="$fit_many" -v b="$fit_one" 'BEGIN { printf "%.4f", a - b }')

echo "load_ratios: $runs runs each, medians (seconds)"
printf '%-52s %8s\n' "cat, 1,000,000-quad grid ($(stat -c %s "$work/grid.iff") bytes)" "$cat_grid" \
  "quelbir-cli info, the grid" "$info_grid" \
  "cat, 100,000 hardpoints ($(stat -c %s "$work/many.iff") bytes)" "$cat_many" \
  "quelbir-cli sphere --fit, 100,000 hardpoints" "$fit_many" \
  "quelbir-cli sphere --fit, 1 hardpoint" "$fit_one"
echo "info / cat (grid) = $(ratio "$info_grid" "$cat_grid")   (goal: at most 2)"
echo "hardpoints' share of the fit / cat = $(ratio "$added" "$cat_many")   (goal: at most 10)"
