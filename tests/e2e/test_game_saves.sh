#!/usr/bin/env bash
# Game saves as the script asks for them: the byte layout, a load and a save in
# one frame (the save holds what was just loaded), two loads in one frame (the
# last wins), a missing file ignored, and a save asked for in the same frame as
# quitGame still made.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
e2e_empty_world
cat > world.lua <<'LUA'
function lua_onInitGame() setPlayerMovementNone() end
function lua_onUninitGame() end
function lua_getNbObjects() return 0 end
frame = 0
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  frame = frame + 1
  if frame == 2 then
    setPlayerPosition(1, 2, 3)
    setCameraAngleAndDistance(-20, 45, 30)
    setGlobalVar("coins", 7)
    saveGame("first.sav")
  elseif frame == 4 then
    setPlayerPosition(9, 9, 9)
    setGlobalVar("coins", 1)
    setGlobalVar("zz", 3)
    loadGame("missing.sav")
    loadGame("first.sav")
    saveGame("second.sav")
  elseif frame == 6 then
    local x, y, z = getPlayerPosition()
    print(x) print(y) print(z)
    print(getGlobalVar("coins"))
    print(getGlobalVar("zz"))
    saveGame("last.sav")
    quitGame()
  end
end
LUA
e2e_start
e2e_wait_exit 30
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
python3 - <<'PY' || e2e_fail "game save bytes"
import struct, sys
first = open("first.sav", "rb").read()
expected = struct.pack("<3f", 1, 2, 3) + struct.pack("<f", 45) + struct.pack("<f", -20) + struct.pack("<i", 3)
expected += struct.pack("<i", 1) + struct.pack("<i", 5) + b"coins" + struct.pack("<i", 7)
if first != expected:
    sys.exit("first.sav: %r, expected %r" % (first, expected))
if open("second.sav", "rb").read() != first:
    sys.exit("second.sav does not hold the state just loaded")
if len(open("last.sav", "rb").read()) != len(first):
    sys.exit("last.sav missing or wrong")
PY
[ "$(grep -c '^lua print: ' stdout.txt)" -eq 5 ] || e2e_fail "prints"
grep -A4 '^lua print: 1$' stdout.txt | tr '\n' ' ' | grep -q "lua print: 1 lua print: 2 lua print: 3 lua print: 7 lua print: 0" \
  || e2e_fail "the loaded position and variables were not restored"
[ "$(grep -c '^Loading game from file first.sav' stdout.txt)" -eq 1 ] || e2e_fail "load trace"
grep -q "missing.sav" stdout.txt && e2e_fail "a missing save file was traced"
echo "PASS"
