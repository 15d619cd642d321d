#!/usr/bin/env bash
# Keys and clicks reach Application.exe under Wine: Escape opens the main menu
# and its quit button ends the game with status 0.
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
e2e_start
e2e_wait_output "lua print: running" 60
e2e_key Escape
sleep 1
e2e_click 100 380
e2e_wait_exit 30
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "lua_onUninitGame did not run"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
