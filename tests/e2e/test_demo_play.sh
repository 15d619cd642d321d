#!/usr/bin/env bash
# Playing the demo game, observed through its game saves (k): the player lands
# on the plaza, walks forward onto a coin and scores; a load (l) brings back
# the saved place and score; 3 and 2 switch to flying and driving.
. "$(dirname "$0")/common.sh"
e2e_setup "$@"
python3 "$E2E_DIR/demo_support.py" world world.dat

# Asks the game for a save and prints it once written.
save_now() {
  local before
  before=$(e2e_count_output "^Saving game into file demo.sav")
  e2e_tap k 0.15
  local i
  for i in $(seq 1 50); do
    [ "$(e2e_count_output "^Saving game into file demo.sav")" -gt "$before" ] && break
    sleep 0.1
  done
  sleep 0.1
  python3 "$E2E_DIR/demo_support.py" save demo.sav
}
# Field n (1: x, 2: y, 3: z, 6: movement type) of the first line of a save.
field() { head -n 1 | awk -v n="$1" '{print $n}'; }
is_below() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a < b)}'; }
# Whether two saves hold the same position, within a unit (the player may
# still glide a little after a load: speeds are not saved).
same_place() {
  awk -v a="$1" -v b="$2" 'BEGIN {split(a, p, " "); split(b, q, " ");
    for (i = 1; i <= 3; i++) if (p[i] - q[i] > 1 || q[i] - p[i] > 1) exit 1}'
}

e2e_start
e2e_wait_output "Initialized, first draw" 20
sleep 0.5
e2e_tap space
sleep 2
landed=$(save_now)
is_below "$(echo "$landed" | field 2)" 3 || e2e_fail "the player did not land: $landed"
is_below -3 "$(echo "$landed" | field 2)" || e2e_fail "the player fell through: $landed"
echo "$landed" | grep -q "^score=" && e2e_fail "a score before any coin: $landed"

# Forward (e) leads from the start towards -z, through the coin at (0, 5, -40).
# Short steps (walking covers about 50 units a second, whatever the frame
# rate) until past the coin, so as not to walk off the plaza at -100.
walked=""
for i in $(seq 1 12); do
  e2e_tap e 0.4
  sleep 0.3
  walked=$(save_now)
  is_below "$(echo "$walked" | field 3)" -45 && break
done
is_below "$(echo "$walked" | field 3)" -45 || e2e_fail "holding e did not move the player forward: $walked"
echo "$walked" | grep -qx "score=1" || e2e_fail "taking the coin did not score: $walked"
echo "$walked" | grep -qx "taken 0 -40=1" || e2e_fail "the coin is not marked taken: $walked"
cp demo.sav walked.sav

# Away, then back through a load.
e2e_tap d 0.6
moved=$(save_now)
[ "$(echo "$moved" | field 3)" != "$(echo "$walked" | field 3)" ] || e2e_fail "d did not move the player"
cp walked.sav demo.sav
e2e_tap l
sleep 0.3
reloaded=$(save_now)
same_place "$(echo "$walked" | head -n 1)" "$(echo "$reloaded" | head -n 1)" ||
  e2e_fail "the load did not restore the position: $walked / $reloaded"
echo "$reloaded" | grep -qx "score=1" || e2e_fail "the load lost the score: $reloaded"

e2e_tap 3
[ "$(save_now | field 6)" = 2 ] || e2e_fail "3 did not switch to flying"
e2e_tap 2
[ "$(save_now | field 6)" = 1 ] || e2e_fail "2 did not switch to driving"
e2e_tap q
e2e_wait_exit 10
[ "$APP_STATUS" -eq 0 ] || e2e_fail "exit status $APP_STATUS after q"
echo "PASS"
