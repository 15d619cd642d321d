#!/usr/bin/env bash
# The main and options menus by real key presses and clicks: Escape opens and
# closes the main menu, its editor button toggles editor mode while a press
# just below it does nothing, the options menu's back rectangle lies higher
# than the main menu's close rectangle, any key leaves the options menu, and
# Escape with the editor's dialog open only closes the dialog.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
e2e_empty_world
e2e_editor_mode_script
e2e_start
e2e_wait_output "lua print: editor 0"
count() { e2e_count_output "lua print: editor"; }
# Waits until the script has seen that many editor-mode changes (the first print included).
wait_count() {
  local i
  for i in $(seq 1 100); do
    [ "$(count)" -ge "$1" ] && break
    sleep 0.1
  done
  [ "$(count)" -eq "$1" ] || e2e_fail "$2 (editor-mode prints: $(count), expected $1)"
}
e2e_key Escape; sleep 0.3
e2e_click 100 230; sleep 0.5
wait_count 1 "a press below the editor button acted"
e2e_click 100 200
wait_count 2 "the editor button did not toggle editor mode"
e2e_key Escape; sleep 0.3
# Menu closed: the key reaches the world, which leaves editor mode.
e2e_key a
wait_count 3 "the key after closing the menu did not reach the world"
# Options menu and its back rectangle (10 < y < 50), which is not the main
# menu's close rectangle (15 < y < 55).
e2e_key Escape; sleep 0.3
e2e_click 100 280; sleep 0.3
e2e_click 235 52; sleep 0.3
e2e_click 100 200; sleep 0.5
wait_count 3 "the options menu took a press outside its back rectangle"
e2e_click 235 30; sleep 0.3
e2e_click 100 200
wait_count 4 "the options menu's back rectangle did not lead back to the main menu"
# Any key leaves the options menu for the main menu.
e2e_click 100 280; sleep 0.3
e2e_key x; sleep 0.3
e2e_click 100 200
wait_count 5 "a key did not lead from the options menu back to the main menu"
e2e_click 100 200
wait_count 6 "editor button"
# Close the menu and open the cube-type dialog in editor mode: Escape then
# closes only the dialog, so the next 'a' leaves the editor.
e2e_key Escape; sleep 0.3
e2e_key_while_holding F3 q; sleep 0.3
e2e_key Escape; sleep 0.3
e2e_key a
wait_count 7 "Escape with the dialog open opened the menu"
e2e_key Escape; sleep 0.3
e2e_click 100 380
e2e_wait_exit 20
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "no shut-down"
echo "PASS"
