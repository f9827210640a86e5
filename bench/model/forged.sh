#!/usr/bin/env bash
# Time and peak memory of every command on the forged files of
# write_forged_files, one line per command (elapsed seconds, maximum
# resident kilobytes, exit status, first line of standard error); and, for
# comparison, on an honest model of about the same size when DIR holds
# honest-grid.iff (write_grid_files DIR/honest-grid.iff /dev/null 170 125).
#   bench/model/forged.sh path/to/quelbir-cli DIR [LIMIT_SECONDS]
set -u
cli=$1 dir=$2 limit=${3:-60}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
run() {
  local name=$1
  shift
  LIBGL_ALWAYS_SOFTWARE=1 /usr/bin/time -v -o "$out/time" timeout "$limit" "$cli" "$@" >/dev/null 2>"$out/err"
  local status=$?
  local elapsed rss
  elapsed=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$out/time")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$out/time")
  printf '%-34s %9s %10s KB  exit %3s  %s\n' "$name" "$elapsed" "$rss" "$status" "$(head -c 150 "$out/err" | head -n 1)"
}
m=$dir/shared-runs.iff
run "info shared-runs" info "$m"
run "sphere --fit shared-runs" sphere "$m" --fit
run "render shared-runs" render "$m" -o "$out/r.png"
run "thumbnail shared-runs" thumbnail "$m" -o "$out/t.png"
run "export shared-runs .glb" export "$m" -o "$out/e.glb"
run "export shared-runs .obj" export "$m" -o "$out/e.obj"
run "check shared-runs" check "$m"
run "export textured --textures (512 MB)" export "$dir/textured.iff" -o "$out/x.glb" --textures "$dir/textures"
l=$dir/many-levels.iff
run "info many-levels" info "$l"
run "sphere --fit many-levels" sphere "$l" --fit
run "export --all-lods many-levels" export "$l" --all-lods -o "$out/l.glb"
run "check many-levels" check "$l"
run "check empty-levels" check "$dir/empty-levels.iff"
h=$dir/honest-grid.iff
if [ -f "$h" ]; then
  run "info honest-grid" info "$h"
  run "sphere --fit honest-grid" sphere "$h" --fit
  run "render honest-grid" render "$h" -o "$out/r.png"
  run "thumbnail honest-grid" thumbnail "$h" -o "$out/t.png"
  run "export honest-grid .glb" export "$h" -o "$out/e.glb"
  run "export honest-grid .obj" export "$h" -o "$out/e.obj"
  run "check honest-grid" check "$h"
fi
