#!/usr/bin/env bash
# The packaged demo runs under Wine: its title picture, then, once space is
# held, the demo world with its HUD (a picture that differs from the title in
# most places); 'q' quits with status 0 and nothing on standard error.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
[ -f world.dat ] && [ -f world.lua ] || e2e_fail "the Windows folder holds no demo world"
e2e_start
e2e_wait_output "Initialized, first draw" 60
sleep 2
e2e_screenshot "$WORK/title.png"
e2e_tap space 0.5
sleep 3
e2e_screenshot "$WORK/world.png"
[ "$(convert "$WORK/world.png" -format %k info:)" -gt 100 ] || e2e_fail "the world shows few colours"
difference=$(compare -metric AE -fuzz 5% "$WORK/title.png" "$WORK/world.png" null: 2>&1 || true)
[ "${difference%%.*}" -gt 240000 ] || e2e_fail "the world looks like the title ($difference pixels differ)"
e2e_tap q 0.5
e2e_wait_exit 60
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
