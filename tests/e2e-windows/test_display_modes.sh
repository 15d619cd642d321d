#!/usr/bin/env bash
# The options menu's display modes under Wine: two explicit fullscreen sizes in
# a row each switch the display and re-place the window at that size, windowed
# mode brings it back to 800 x 600, each with its trace lines. The size given is
# the window's outer size, frame included, so the drawing area is smaller by
# the same frame each time.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
e2e_empty_world
cat >world.lua <<'LUA'
function lua_onInitGame() end
function lua_onUninitGame() print("goodbye") end
function lua_getNbObjects() return 0 end
frame = 0
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  frame = frame + 1
  if frame == 5 then print("running") end
end
LUA
# The "Rescaling to" traces so far; the display-mode traces end without a line
# feed, so they may share a line.
rescale_count() {
  { grep -o "Rescaling to (" stdout.txt || true; } | wc -l
}
# Waits for the next "Rescaling to" trace after the first `seen` ones; prints its "width height".
next_rescale() {
  local seen=$1 i
  for i in $(seq 1 100); do
    [ "$(rescale_count)" -gt "$seen" ] && break
    sleep 0.1
  done
  { grep -o "Rescaling to ([0-9]*,[0-9]*)" stdout.txt || true; } | sed -n "$((seen + 1))p" | tr -c '0-9\n' ' ' | awk '{ print $1, $2 }'
}
# Checks that a placement at that outer size gave the same frame as the first one.
check_size() {
  local width=$1 height=$2 drawn=$3
  [ -n "$drawn" ] || e2e_fail "the window was not resized to ${width}x$height"
  set -- $drawn
  [ $((width - $1)) -eq "$frame_width" ] && [ $((height - $2)) -eq "$frame_height" ] ||
    e2e_fail "placed at ${width}x$height, drawing area ${1}x$2"
}
e2e_start
e2e_wait_output "lua print: running" 60
e2e_key Escape
sleep 0.5
e2e_click 100 280
sleep 0.5
before=$(rescale_count)
e2e_click 100 225
e2e_wait_output "Set to fullscreen mode 1024x768" 20
first=$(next_rescale "$before")
[ -n "$first" ] || e2e_fail "the window was not resized"
set -- $first
frame_width=$((1024 - $1)) frame_height=$((768 - $2))
[ "$frame_width" -ge 0 ] && [ "$frame_height" -ge 0 ] || e2e_fail "drawing area $1x$2 larger than 1024x768"
e2e_click 180 225
e2e_wait_output "Set to fullscreen mode 1280x1024" 20
check_size 1280 1024 "$(next_rescale $((before + 1)))"
e2e_click 100 175
e2e_wait_output "Set to windowed mode 800x600" 20
check_size 800 600 "$(next_rescale $((before + 2)))"
e2e_key x
sleep 0.5
e2e_click 100 380
e2e_wait_exit 30
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
[ "$(grep -o "Found window handle" stdout.txt | wc -l)" -eq 3 ] || e2e_fail "the window was not placed at each change"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "lua_onUninitGame did not run"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
