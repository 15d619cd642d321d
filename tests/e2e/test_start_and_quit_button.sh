#!/usr/bin/env bash
# The program opens its 800 x 600 window, traces its start-up, runs the game
# script, and the quit button of the main menu ends it in order with status 0.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
e2e_empty_world
cat > world.lua <<'LUA'
function lua_onInitGame() print("init") end
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
e2e_start
geometry=$(xdotool getwindowgeometry "$APP_WINDOW")
echo "$geometry" | grep -q "Geometry: 800x600" || e2e_fail "window is not 800x600: $geometry"
e2e_wait_output "lua print: running"
e2e_key Escape
sleep 0.5
e2e_click 100 380
e2e_wait_exit 20
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "^supported:" extensions.txt || e2e_fail "extensions.txt missing or wrong"
for line in "================ Initializing ..." "==== Loading player" "==== Player loaded" \
  "==== Loading skybox" "==== Skybox loaded" "==== Reload script file" "Loading script 'world.lua' ... done." \
  "lua print: init" "==== Script file reloaded" "================ Initialized, first draw ..." "lua print: goodbye"; do
  grep -qF -- "$line" stdout.txt || e2e_fail "no '$line' in the output"
done
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
