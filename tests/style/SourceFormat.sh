#!/usr/bin/env bash
# Every C++ source and header of the tree is in the house style (.clang-format
# at the root): clang-format would change nothing. The formatter's output
# differs between its versions, so the check uses the one the set-up installs
# and is skipped (77) where it is missing. Usage: SourceFormat.sh SOURCE_DIR
set -euo pipefail
root=$1
formatter=clang-format-14
if ! command -v "$formatter" >/dev/null; then
  echo "SKIP: $formatter is not installed (scripts/setup.sh installs it)"
  exit 77
fi
cd "$root"
if [ -d .git ] || [ -f .git ]; then
  mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
else
  mapfile -d '' files < <(find app bench check cli editor fuzz geometry gl iff interchange model runtime tests \
                            \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
fi
if "$formatter" --style=file --dry-run --Werror "${files[@]}"; then
  echo "${#files[@]} files in the house style"
else
  echo "Run: $formatter -i --style=file FILE... (from the root of the tree)"
  exit 1
fi
