#!/usr/bin/env bash
# Application.exe under Wine runs the world of the Windows folder with a script
# that draws the world, asks for a game save and quits by itself: status 0, the
# save written, the window drawn with more than one colour.
# Needs the game's main loop (world and script); the start-up stand-in fails it.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
cat >world.lua <<'LUA'
frame = 0
function lua_onInitGame() end
function lua_onUninitGame() print("uninit") end
function lua_getNbObjects() return 0 end
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  frame = frame + 1
  if frame == 20 then saveGame("wine_test.sav") end
  if frame == 600 then quitGame() end
end
LUA
e2e_start
sleep 2
e2e_screenshot "$WORK/window.png"
colours=$(convert "$WORK/window.png" -format %k info:)
[ "$colours" -gt 1 ] || e2e_fail "the window shows a single colour"
e2e_wait_exit 120
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
[ -s wine_test.sav ] || e2e_fail "no game save written"
grep -q "Saving game into file wine_test.sav" stdout.txt || e2e_fail "no save trace"
grep -q "lua print: uninit" stdout.txt || e2e_fail "lua_onUninitGame did not run"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
