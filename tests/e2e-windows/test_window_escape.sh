#!/usr/bin/env bash
# Application.exe under Wine opens its 800 x 600 window, draws into it (the
# picture is not black), reports the OpenGL extensions and quits with status 0
# on Escape.
. "$(dirname "$0")/common.sh"
windows_e2e_setup "$@"
e2e_start
geometry=$(xdotool getwindowgeometry "$APP_WINDOW")
echo "$geometry" | grep -q "Geometry: 800x600" || e2e_fail "window is not 800x600: $geometry"
sleep 1
e2e_screenshot "$WORK/window.png"
brightest=$(convert "$WORK/window.png" -format '%[fx:maxima]' info:)
[ "$brightest" != 0 ] || e2e_fail "the window is black: nothing was drawn"
e2e_key Escape
e2e_wait_exit 30
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS"
grep -q "^supported:" extensions.txt || e2e_fail "extensions.txt missing or wrong"
grep -q "================ Initializing ..." stdout.txt || e2e_fail "no start-up trace"
[ ! -s stderr.txt ] || e2e_fail "unexpected error output"
echo "PASS"
