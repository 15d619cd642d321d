#!/usr/bin/env bash
# The demo game in the world the build makes for it: its title picture until
# space is pressed, then the world with the HUD text over it; q quits with
# exit status 0.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
[ -f world.dat ] || e2e_fail "the game data has no world.dat"
e2e_start
e2e_wait_output "Initialized, first draw" 20
sleep 1
e2e_screenshot title.ppm
python3 "$E2E_DIR/demo_support.py" varied title.ppm || e2e_fail "the title picture is missing"
e2e_tap space
sleep 2
e2e_screenshot world.ppm
python3 "$E2E_DIR/demo_support.py" varied world.ppm || e2e_fail "the world is not drawn"
python3 "$E2E_DIR/demo_support.py" differs title.ppm world.ppm || e2e_fail "the title stayed"
python3 "$E2E_DIR/demo_support.py" hud world.ppm || e2e_fail "the HUD is missing"
e2e_tap q
e2e_wait_exit 10
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS after q"
echo "PASS"
