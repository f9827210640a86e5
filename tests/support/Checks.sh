# Sourced by the shell tests: a scratch folder removed on exit, in $dir,
# and check(), which counts each failed check in $failures and names it.
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0
check() {  # description, command...
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
