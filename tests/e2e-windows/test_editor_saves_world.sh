#!/usr/bin/env bash
# Keys and clicks reach Application.exe under Wine, and the world file is
# replaced in place: 'a' enters the editor, 's' saves the loaded world over
# "world.dat" (the same bytes back, no temporary file left), 'a' leaves the
# editor, Escape opens the main menu and its quit button ends the game with
# status 0.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
e2e_empty_world
cp world.dat loaded.dat
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
e2e_key a
sleep 0.5
e2e_key s
e2e_wait_output "==== World saved to file" 30
e2e_key a
sleep 0.5
e2e_key Escape
sleep 1
e2e_click 100 380
e2e_wait_exit 30
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
cmp -s world.dat loaded.dat || e2e_fail "the saved world differs from the loaded one"
ls world.dat.saving-* >/dev/null 2>&1 && e2e_fail "a temporary file was left"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "lua_onUninitGame did not run"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
