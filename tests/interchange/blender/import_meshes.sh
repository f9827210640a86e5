#!/bin/sh
# Makes the meshes of import_meshes.py in a headless Blender and runs the
# import test on them: import_meshes.sh INTERCHANGE_TESTS.
# Exit 77 (skipped) where Blender is not installed.
command -v blender >/dev/null 2>&1 || { echo "blender is not installed: skipped"; exit 77; }
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
blender -b --factory-startup --python-exit-code 1 --python "$(dirname "$0")/import_meshes.py" -- "$work" \
  >"$work/blender.log" 2>&1 || { grep -E "Error|Traceback" "$work/blender.log"; exit 1; }
QUELBIR_BLENDER_MESHES="$work" "$1" --gtest_filter='MeshImport.BlenderMeshes*'
