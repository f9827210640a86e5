#!/usr/bin/env bash
# Installs what building and running the two programs needs, builds only them
# (quelbir and quelbir-cli), makes the bundled sample model and opens the
# editor on it. Without a display it says so and paints the sample's
# "3-Views" picture into a PNG instead, printing where.
# Usage: scripts/run.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
"$here/scripts/setup.sh" run "$build"

cli="$build/cli/quelbir-cli"
sample="$build/sample/sample.iff"
# Made once; the editor saves its sphere edits into it, so a later run keeps them.
if [ ! -f "$sample" ]; then
  mkdir -p "$(dirname "$sample")"
  "$cli" sample "$sample"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  picture="$build/sample/sample-3-views.png"
  echo "run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the editor cannot open;"
  echo "run: painting the sample's \"3-Views\" picture instead"
  "$cli" render "$sample" -o "$picture" --view "3-Views"
  echo "run: picture written to $picture"
  exit 0
fi

exec "$build/app/quelbir" "$sample"
