#!/usr/bin/env bash
# The manual pages keep step with the programs: every subcommand that
# quelbir-cli --help lists has its entry in quelbir-cli(1), and every option
# that a --help prints is written in the page.
# Usage: ManPageTest.sh MAN_DIR QUELBIR_CLI [QUELBIR]
set -u
man_dir=$1
cli=$2
app=${3:-}
failures=0

# The option names of a help text's "Options:" section, one per line.
options_of() {
  sed -n '/^Options:/,/^$/{s/^  \(-[^ ]*\).*/\1/p}' | tr ',' '\n'
}
# Each option must appear in the page as roff writes it (\- for each dash).
check_options() {  # page, where, help text on stdin
  local page=$1 where=$2 option
  while read -r option; do
    if ! grep -qF -- "${option//-/\\-}" "$page"; then
      echo "FAILED: $where option $option is missing from its manual page"
      failures=$((failures + 1))
    fi
  done < <(options_of)
}

page=$man_dir/quelbir-cli.1
entry=$(mktemp)
trap 'rm -f "$entry"' EXIT
check_options "$page" "quelbir-cli" < <("$cli" --help)
subcommands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/{s/^  \([a-z][a-z0-9-]*\) .*/\1/p}')
[ -n "$subcommands" ] || { echo "FAILED: no subcommands read from quelbir-cli --help"; exit 1; }
for sub in $subcommands; do
  if ! grep -q "^\.BI \"$sub " "$page"; then
    echo "FAILED: subcommand $sub has no entry in quelbir-cli.1"
    failures=$((failures + 1))
  fi
  # A subcommand's options are looked for in its own entry.
  awk -v sub_="$sub" '/^\.BI "/ || /^\.SH/ { inside = index($0, ".BI \"" sub_ " ") == 1 } inside' \
    "$page" >"$entry"
  # -h, --help is written once for every subcommand.
  check_options "$entry" "quelbir-cli $sub" < <("$cli" "$sub" --help | grep -v '^  -h,--help ')
done
for section in "EXIT STATUS" EXAMPLES; do
  grep -qx "\.SH $section" "$page" || { echo "FAILED: quelbir-cli.1 has no $section"; failures=$((failures + 1)); }
done

if [ -n "$app" ]; then
  check_options "$man_dir/quelbir.1" "quelbir" < <(env -u DISPLAY -u WAYLAND_DISPLAY "$app" --help)
fi

# Text after an indented block starts a paragraph of its own, not a run-on
# of the block's last line.
for p in "$man_dir"/*.1; do
  awk -v page="$(basename "$p")" 'after_re && !/^\./ { print "FAILED: " page ":" NR ": text right after .RE"; bad = 1 }
       { after_re = /^\.RE/ } END { exit bad }' "$p" || failures=$((failures + 1))
done
# Both pages are well-formed roff: neither groff nor mandoc's lint (dates,
# line lengths, paragraphs) has anything to say.
for p in "$man_dir"/*.1; do
  warnings=$(groff -man -ww -z "$p" 2>&1; mandoc -Tlint "$p" 2>&1)
  [ -z "$warnings" ] || { echo "FAILED: $(basename "$p"): $warnings"; failures=$((failures + 1)); }
done
exit "$failures"
