#!/usr/bin/env bash
# Runs the built program in its own Xvfb server under openbox and checks it
# from outside: the frame measures 600 x 650 and is centred, a list pasted
# from another process converts with one click, the result can be read from
# the clipboard by another process (xclip) while the program runs, and Esc
# ends the program with status 0. Every process started here is stopped
# here, by its process id.
set -u
program=$(realpath "$1")
screen_w=1280
screen_h=1024

for tool in Xvfb openbox xdotool xclip xwininfo xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"; exit 77
  fi
done

work=$(mktemp -d)
xvfb_pid="" wm_pid="" app_pid="" xclip_pid=""
cleanup() {
  for pid in "$xclip_pid" "$app_pid" "$wm_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

# The X server picks a free display number and tells it through fd 3.
Xvfb -displayfd 3 -screen 0 ${screen_w}x${screen_h}x24 -nolisten tcp 3>"$work/display" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_CONFIG_HOME="$work/config" HOME="$work"
echo "display $DISPLAY"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
  fail "openbox did not start"

"$program" >"$work/app.log" 2>&1 &
app_pid=$!
wait_for 30 xdotool search --onlyvisible --name '^Marvoset$' || fail "no window: $(cat "$work/app.log")"
wid=$(xdotool search --onlyvisible --name '^Marvoset$' | head -n1)

# Client position and size, and the frame extents that openbox adds.
measure() {
  local info extents
  info=$(xwininfo -id "$wid")
  cx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  cy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  cw=$(awk '/Width:/ {print $2}' <<<"$info")
  ch=$(awk '/Height:/ {print $2}' <<<"$info")
  extents=$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
  IFS=, read -r fl fr ft fb <<<"${extents:-0,0,0,0}"
  outer_w=$((cw + fl + fr)) outer_h=$((ch + ft + fb))
  frame_x=$((cx - fl)) frame_y=$((cy - ft))
}
settled() {
  measure
  [ "$outer_w" -eq 600 ] && [ "$outer_h" -eq 650 ] &&
    [ "$frame_x" -eq $(((screen_w - 600) / 2)) ] && [ "$frame_y" -eq $(((screen_h - 650) / 2)) ]
}
wait_for 10 settled
measure
echo "frame ${outer_w}x${outer_h} at ${frame_x},${frame_y} (client ${cw}x${ch}, extents $fl,$fr,$ft,$fb)"
[ "$outer_w" -eq 600 ] && [ "$outer_h" -eq 650 ] || fail "outer size ${outer_w}x${outer_h}"
[ "$frame_x" -eq 340 ] && [ "$frame_y" -eq 187 ] || fail "frame not centred: $frame_x,$frame_y"
[ "$ft" -gt 0 ] || fail "no window manager frame"
xprop -id "$wid" WM_NORMAL_HINTS | grep -q "program specified minimum size: ${cw} by ${ch}" &&
  xprop -id "$wid" WM_NORMAL_HINTS | grep -q "program specified maximum size: ${cw} by ${ch}" ||
  fail "window is resizable: $(xprop -id "$wid" WM_NORMAL_HINTS)"

# Another program puts a Sogou list with CR LF line breaks on the clipboard.
printf 'dz,1=北京市海淀区\r\nyx,2=abc\r\n' >"$work/sogou.txt"
xclip -quiet -selection clipboard -i "$work/sogou.txt" >/dev/null 2>&1 &
xclip_pid=$!
wait_for 10 sh -c 'xclip -o -selection clipboard | grep -q 北京' || fail "xclip did not serve"

# Paste it into the right box (超级编辑框2) and press 按钮1.
xdotool mousemove $((cx + 298 + 140)) $((cy + 21 + 200)) click 1
sleep 0.3
xdotool key --clearmodifiers ctrl+v
sleep 0.3
xdotool mousemove $((cx + 304 + 56)) $((cy + 444 + 12)) click 1

if ! wait_for 10 xdotool search --onlyvisible --name '^信息：$'; then
  xdotool search --onlyvisible --name '^错误：$' >/dev/null && fail "the program reported an error"
  fail "no confirmation"
fi
msg=$(xdotool search --onlyvisible --name '^信息：$' | head -n1)

# Still running, with the confirmation open: read the clipboard from outside.
xclip -o -selection clipboard >"$work/clipboard.txt" || fail "could not read the clipboard"
printf 'dz=1,北京市海淀区\r\nyx=2,abc\r\n' >"$work/expected.txt"
cmp -s "$work/clipboard.txt" "$work/expected.txt" ||
  fail "clipboard holds $(od -c "$work/clipboard.txt" | head -n5)"
echo "clipboard: $(od -An -c "$work/clipboard.txt" | tr -d "\n" | tr -s " ")"

xdotool windowactivate --sync "$msg" key Return
wait_for 10 sh -c "! xdotool search --onlyvisible --name '^信息：$'" || fail "confirmation stayed open"

# Esc closes the window, and the program ends with status 0.
xdotool windowactivate --sync "$wid" key Escape
wait_for 10 sh -c "! kill -0 $app_pid" || fail "Esc did not close the window"
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/app.log")"
echo "PASS"
