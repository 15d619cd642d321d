#!/usr/bin/env bash
# The demo's block building: b starts a placement ahead of the player, space
# places one cube there; the editor's save then holds one more cube zone.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
python3 "$E2E_DIR/demo_support.py" world world.dat
before=$(stat -c %s world.dat)
e2e_start
e2e_wait_output "Initialized, first draw" 20
sleep 0.5
e2e_tap space
sleep 2
e2e_tap b
sleep 0.3
e2e_tap space
sleep 0.5
e2e_tap a
sleep 0.3
e2e_tap s
e2e_wait_output "World saved to file" 10
after=$(stat -c %s world.dat)
# A zone record with six empty shadow lists is 56 bytes.
[ "$after" -eq $((before + 56)) ] || e2e_fail "world.dat went from $before to $after bytes"
e2e_tap a
sleep 0.3
e2e_tap q
e2e_wait_exit 10
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS after q"
echo "PASS"
