#!/usr/bin/env bash
# Writes the package's changelog, gzip -9n compressed, in Debian's format:
# one entry for VERSION listing the project's commits, oldest first, dated
# by the last commit (so the same history always gives the same bytes).
# Usage: changelog.sh SOURCE_DIR VERSION MAINTAINER OUT.gz
set -euo pipefail
source_dir=$1
version=$2
maintainer=$3
out=$4
tmp=$out.tmp
{
  printf 'quelbir (%s) unstable; urgency=medium\n\n' "$version"
  if git -C "$source_dir" rev-parse --verify -q HEAD >/dev/null 2>&1; then
    git -C "$source_dir" log --no-merges --reverse --format=%s | while IFS= read -r subject; do
      printf '%s\n' "$subject" | fold -s -w 74 | sed 's/ *$//; 1s/^/  * /; 2,$s/^/    /'
    done
    date=$(git -C "$source_dir" log -1 --format=%cd --date=rfc2822)
  else
    printf '  * Built from a source tree without its history.\n'
    date=$(date -u -R -d "@${SOURCE_DATE_EPOCH:-0}")
  fi
  printf '\n -- %s  %s\n' "$maintainer" "$date"
} >"$tmp"
gzip -9n <"$tmp" >"$out.gz.tmp"
rm -f "$tmp"
# An unchanged changelog keeps its file (and date).
if cmp -s "$out.gz.tmp" "$out"; then rm -f "$out.gz.tmp"; else mv -f "$out.gz.tmp" "$out"; fi
