#!/bin/sh
# quelbir-cli tree: the printed tree on stdout, errors alone on stderr with
# exit code 1, usage errors with exit code 2.
set -u
cli=$1
. "$(dirname "$0")/../support/Checks.sh"

printf 'FORM\000\000\000\020DETAINFO\000\000\000\003abc\000' > "$dir/deta.iff"
chmod 444 "$dir/deta.iff"
out=$("$cli" tree "$dir/deta.iff")
rc=$?
check "tree exits 0" test "$rc" -eq 0
check "tree prints the example" test "$out" = "$(printf 'FORM DETA 0 16\n  CHUNK INFO 12 4')"

err=$("$cli" tree "$dir/missing.iff" 2>&1 >/dev/null)
rc=$?
check "a missing file exits 1" test "$rc" -eq 1
check "a missing file reports the file layer's message" test "$err" = "Cannot open file $dir/missing.iff"

printf 'FORM\200\000\000\000ROOT' > "$dir/bad.iff"
out=$("$cli" tree "$dir/bad.iff" 2>"$dir/err")
rc=$?
check "a malformed file exits 1" test "$rc" -eq 1
check "a malformed file prints nothing on stdout" test -z "$out"
check "a malformed file names the offset" test "$(cat "$dir/err")" = "TIffReader: $dir/bad.iff, invalid size at offset 00000000!"

"$cli" tree >/dev/null 2>&1
check "tree without FILE exits 2" test "$?" -eq 2
"$cli" tree "$dir/deta.iff" --no-such-option >/dev/null 2>&1
check "an unknown option exits 2" test "$?" -eq 2
"$cli" tree --help >/dev/null 2>&1
check "tree --help exits 0" test "$?" -eq 0

exit "$failures"
