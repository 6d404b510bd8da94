#!/usr/bin/env bash
# Runs the program where no window can be shown and checks that it says so
# and ends with a plain non-zero status (not a signal, not a core dump).
set -u
program=$1
failed=0

check() {
  local what=$1; shift
  local err status
  err=$(mktemp)
  ( ulimit -c 0; "$@" ) >/dev/null 2>"$err" </dev/null
  status=$?
  if [ "$status" -eq 0 ] || [ "$status" -ge 128 ]; then
    echo "FAIL $what: exit status $status"; failed=1
  elif ! grep -q "启动窗口载入失败" "$err"; then
    echo "FAIL $what: no start-up message on stderr:"; cat "$err"; failed=1
  else
    echo "ok   $what: status $status: $(grep -m1 '启动窗口载入失败' "$err")"
  fi
  rm -f "$err"
}

check "no display variables" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program"
# A display that nobody serves: the X connection is refused.
check "unreachable X display" env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:31999 "$program"
check "xcb forced, no display" env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program"
exit $failed
