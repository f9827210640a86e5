#!/bin/sh
# The window program without a display: one line saying so and exit status
# 1, where the toolkit would abort with its own message (status 134).
quelbir=$1
failures=0
expect() {  # NAME, STATUS, LAST LINE WANTED, then the command
  name=$1 status=$2 line=$3
  shift 3
  err=$("$@" 2>&1 >/dev/null)
  code=$?
  last=$(printf '%s\n' "$err" | tail -n 1)
  if [ "$code" -ne "$status" ] || [ "$last" != "$line" ]; then
    echo "FAIL: $name: exit $code, standard error:"
    printf '%s\n' "$err"
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}
expect "no display named" 1 \
  "quelbir: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open" \
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$quelbir" model.iff
# A display named that is not there: the toolkit finds no window system.
expect "a display that is not there" 1 \
  "quelbir: no display: the window system cannot be reached, so the window cannot open" \
  env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:65500 XAUTHORITY=/nonexistent "$quelbir" model.iff
[ "$failures" -eq 0 ]
