#!/usr/bin/env bash
# The editor's menu windows by real clicks: in editor mode the corner button
# opens "Menu", its last entry "Save and load", whose first button writes the
# world file.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
e2e_empty_world
e2e_editor_mode_script
e2e_start
e2e_wait_output "lua print: editor 0"
e2e_key a
e2e_wait_output "lua print: editor 1" 10
# The program holds the world; the file it writes must be a new one.
rm world.dat
# The corner button, then "Save and load" (entry 6 of the window at (100, 50)),
# then its "Save world into world.dat [s]" (the window opens at (150, 100)).
e2e_click 750 10; sleep 0.5
e2e_click 115 405; sleep 0.5
e2e_click 165 155
e2e_wait_output "==== World saved to file" 10
[ -f world.dat ] || e2e_fail "no world file written"
[ "$(head -c 5 world.dat)" = "WORLD" ] || e2e_fail "the written file is no world file"
e2e_key Escape; sleep 0.3
e2e_click 100 380
e2e_wait_exit 20
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "lua print: goodbye" stdout.txt || e2e_fail "no shut-down"
echo "PASS"
