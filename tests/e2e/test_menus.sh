#!/usr/bin/env bash
# The main and options menus by real key presses and clicks: Escape opens and
# closes the main menu, its editor button toggles editor mode while a press
# just below it does nothing, the options menu's back rectangle lies higher
# than the main menu's close rectangle, any key leaves the options menu, and
# Escape with the editor's dialog open only closes the dialog.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
cat > world.lua <<'LUA'
function lua_onInitGame() setPlayerMovementNone() end
function lua_onUninitGame() print("goodbye") end
function lua_getNbObjects() return 0 end
shown = -1
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  local mode = isEditorMode()
  if mode ~= shown then
    print("editor " .. mode)
    shown = mode
  end
end
LUA
e2e_start
e2e_wait_output "lua print: editor 0"
count() { e2e_count_output "lua print: editor"; }
e2e_key Escape; sleep 0.3
e2e_click 100 230; sleep 0.3
[ "$(count)" -eq 1 ] || e2e_fail "a press below the editor button acted"
e2e_click 100 200
e2e_wait_output "lua print: editor 1"
e2e_key Escape; sleep 0.3
# Menu closed: the key reaches the world, which leaves editor mode.
e2e_key a
e2e_wait_output "lua print: editor 0" 10
[ "$(count)" -eq 3 ] || e2e_fail "editor toggles: $(count)"
# Options menu and its back rectangle (10 < y < 50), which is not the main
# menu's close rectangle (15 < y < 55).
e2e_key Escape; sleep 0.3
e2e_click 100 280; sleep 0.3
e2e_click 235 52; sleep 0.3
e2e_click 100 200; sleep 0.3
[ "$(count)" -eq 3 ] || e2e_fail "the options menu took a press outside its back rectangle"
e2e_click 235 30; sleep 0.3
e2e_click 100 200
e2e_wait_output "lua print: editor 1" 10
# Any key leaves the options menu for the main menu.
e2e_click 100 280; sleep 0.3
e2e_key x; sleep 0.3
e2e_click 100 200
[ "$(count)" -ge 4 ] || e2e_fail "no toggle after leaving the options menu by a key"
e2e_wait_output "lua print: editor 0" 10
e2e_click 100 200
sleep 0.5
# Close the menu and open the cube-type dialog in editor mode: Escape then
# closes only the dialog, so the next 'a' leaves the editor.
e2e_key Escape; sleep 0.3
xdotool keydown F3 key q keyup F3; sleep 0.3
e2e_key Escape; sleep 0.3
before=$(count)
e2e_key a; sleep 0.5
[ "$(count)" -eq $((before + 1)) ] || e2e_fail "Escape with the dialog open opened the menu"
e2e_key Escape; sleep 0.3
e2e_click 100 380
e2e_wait_exit 20
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "no shut-down"
echo "PASS"
