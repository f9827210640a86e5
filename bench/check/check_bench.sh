#!/usr/bin/env bash
# The speed of quelbir-cli check, measured in one run against baselines:
#   - a folder of FILES sample models (default 10000): check --jobs 1 and
#     check with the default threads, against cat reading the same files;
#   - one model of BIG_COLUMNS x BIG_ROWS quadrilaterals (default 1000 x 1000, a
#     million faces): check against info.
# Every figure is the best of RUNS runs (default 3), caches warm.
# Usage: bench/check/check_bench.sh BUILD_FOLDER [WORK_FOLDER]
set -euo pipefail
build=${1:?usage: check_bench.sh BUILD_FOLDER [WORK_FOLDER]}
work=${2:-$(mktemp -d)}
files=${FILES:-10000}
runs=${RUNS:-3}
columns=${BIG_COLUMNS:-1000}
rows=${BIG_ROWS:-1000}
cli="$build/cli/quelbir-cli"
big_writer="$build/bench/check/check_bench_big_model"

mkdir -p "$work/folder"
"$cli" sample "$work/sample.iff"
for ((i = 0; i < files; i++)); do
  d="$work/folder/$((i / 100))"
  [ -d "$d" ] || mkdir -p "$d"
  [ -f "$d/m$i.iff" ] || cp "$work/sample.iff" "$d/m$i.iff"
done
"$big_writer" "$work/big.iff" "$columns" "$rows"

# Best wall time of $runs runs of the command, in seconds.
best() {
  local best_time="" t0 t1 t
  for ((r = 0; r < runs; r++)); do
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [ -z "$best_time" ] || awk -v t="$t" -v b="$best_time" 'BEGIN { exit !(t < b) }'; then best_time=$t; fi
  done
  printf '%.3f' "$best_time"
}

cat_all() { find "$work/folder" -name '*.iff' -print0 | xargs -0 cat; }

cat_all >/dev/null  # warm the cache
cat_time=$(best cat_all)
one_time=$(best "$cli" check --jobs 1 "$work/folder")
all_time=$(best "$cli" check "$work/folder")
info_time=$(best "$cli" info "$work/big.iff")
big_time=$(best "$cli" check "$work/big.iff")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "folder of $files sample files ($(nproc) cores):"
echo "  cat               ${cat_time}s"
echo "  check --jobs 1    ${one_time}s  $(ratio "$one_time" "$cat_time")x cat"
echo "  check (default)   ${all_time}s  $(ratio "$all_time" "$cat_time")x cat"
echo "model of $((columns * rows)) faces:"
echo "  info              ${info_time}s"
echo "  check             ${big_time}s  $(ratio "$big_time" "$info_time")x info"
