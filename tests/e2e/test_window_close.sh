#!/usr/bin/env bash
# Closing the window ends the game like the quit button: the script's
# farewell runs and the save it asks for on the way out is made.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
e2e_empty_world
cat > world.lua <<'LUA'
function lua_onInitGame() setPlayerMovementNone() end
function lua_onUninitGame()
  print("goodbye")
  setGlobalVar("closed", 1)
  saveGame("closing.sav")
end
function lua_getNbObjects() return 0 end
frame = 0
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  frame = frame + 1
  if frame == 3 then print("ready") end
end
LUA
e2e_start
e2e_wait_output "lua print: ready"
"$TEST_TOOLS/send_window_close" "$APP_WINDOW" || e2e_fail "could not send the close request"
e2e_wait_exit 20
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "the script's farewell did not run"
[ -f closing.sav ] || e2e_fail "the save asked for on the way out was not made"
[ "$(stat -c %s closing.sav)" -eq $((28 + 4 + 6 + 4)) ] || e2e_fail "closing.sav size"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
