#!/bin/sh
# Runs round_trip.py in a headless Blender: round_trip.sh QUELBIR_CLI.
# Exit 77 (skipped) where Blender is not installed.
command -v blender >/dev/null 2>&1 || { echo "blender is not installed: skipped"; exit 77; }
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
blender -b --factory-startup --python-exit-code 1 --python "$(dirname "$0")/round_trip.py" -- "$1" "$work" >"$work/blender.log" 2>&1
code=$?
grep -E "^FAIL:|Error|Traceback" "$work/blender.log"
exit $code
