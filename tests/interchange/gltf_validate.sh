#!/usr/bin/env bash
# gltf_validate.sh TOOLS_DIR FILE...: sets up the Khronos glTF validator (the
# npm package gltf-validator) in TOOLS_DIR/node_modules when it is not there
# yet, then validates each FILE. Exit 0: no errors and no warnings; 1: some;
# 77: Node, npm or the package registry is out of reach (the test is skipped).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tools=$1
shift
version=2.0.0-dev.3.10
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "gltf_validate: node and npm are not installed (scripts/setup.sh installs them); skipped"
  exit 77
fi
if [ ! -f "$tools/node_modules/gltf-validator/package.json" ] ||
   ! grep -q "\"version\": \"$version\"" "$tools/node_modules/gltf-validator/package.json"; then
  mkdir -p "$tools"
  if ! npm install --no-save --no-audit --no-fund --prefix "$tools" "gltf-validator@$version" >"$tools/npm-install.log" 2>&1; then
    echo "gltf_validate: npm could not install gltf-validator@$version (registry out of reach?); skipped"
    tail -n 5 "$tools/npm-install.log"
    exit 77
  fi
fi
NODE_PATH="$tools/node_modules" exec node "$here/gltf_validate.js" "$@"
