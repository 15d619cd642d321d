#!/usr/bin/env bash
# Application.exe under Wine opens its 800 x 600 window on an empty world, finds
# the vertex-buffer entry points, draws the sky and water (the window shows more
# than one colour), writes a game save byte for byte as the Linux build does and
# reads it back (bytes 0x0D 0x0A in it catch a file opened in text mode), then
# quits by itself in order with status 0.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
e2e_empty_world
cat >world.lua <<'LUA'
function lua_onInitGame() setPlayerMovementNone() print("init") end
function lua_onUninitGame() print("uninit") end
function lua_getNbObjects() return 0 end
frame = 0
shownSince = nil
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  frame = frame + 1
  if frame == 2 then
    setPlayerPosition(1, 2, 3)
    setCameraAngleAndDistance(-20, 45, 30)
    setGlobalVar("coins", 2573)
    saveGame("wine_test.sav")
  elseif frame == 4 then
    setGlobalVar("coins", 1)
    loadGame("wine_test.sav")
  elseif frame == 6 then
    print(getGlobalVar("coins"))
    shownSince = getTime()
  elseif shownSince ~= nil and getTime() - shownSince > 4000 then
    quitGame()
  end
end
LUA
e2e_start
geometry=$(xdotool getwindowgeometry "$APP_WINDOW")
echo "$geometry" | grep -q "Geometry: 800x600" || e2e_fail "window is not 800x600: $geometry"
e2e_wait_output "lua print: 2573" 60
sleep 1
e2e_screenshot "$WORK/window.png"
colours=$(convert "$WORK/window.png" -format %k info:)
[ "$colours" -gt 1 ] || e2e_fail "the window shows a single colour"
e2e_wait_exit 60
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
python3 - <<'PY' || e2e_fail "game save bytes"
import struct, sys
saved = open("wine_test.sav", "rb").read()
expected = struct.pack("<3f", 1, 2, 3) + struct.pack("<f", 45) + struct.pack("<f", -20) + struct.pack("<i", 3)
expected += struct.pack("<i", 1) + struct.pack("<i", 5) + b"coins" + struct.pack("<i", 2573)
if saved != expected:
    sys.exit("wine_test.sav: %r, expected %r" % (saved, expected))
PY
grep -q "^supported:" extensions.txt || e2e_fail "extensions.txt missing or wrong"
for line in "================ Initializing ..." "lua print: init" "Saving game into file wine_test.sav" \
  "Loading game from file wine_test.sav" "================ Initialized, first draw ..." "lua print: uninit"; do
  grep -qF -- "$line" stdout.txt || e2e_fail "no '$line' in the output"
done
# The vertex-buffer entry points come through wglGetProcAddress.
grep -q "vertex buffer objects are not supported" stdout.txt && e2e_fail "no vertex buffers"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
