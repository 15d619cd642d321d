#!/usr/bin/env bash
# Frame figures of the demo game as a player runs it, under Xvfb:
#   bench/demo_frames.sh [build folder] [seconds] [view distance presses]
# The demo's world.lua runs with a few lines appended that walk the player
# along a fixed path (forward, turning slowly) after the title, keep every
# frame period the program measures, and quit after the given seconds. Prints
# the time from start to the first frame and to the first frame of the world,
# the median and 99th percentile of the frame period, and the peak resident
# memory. With presses > 0 the options menu's "farther" button is clicked that
# many times first (each multiplies the view distance by 1.2).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-30}
presses=${3:-0}

work=$(mktemp -d /tmp/quillet_demo_frames_XXXXXX)
trap 'kill "${game:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r "$build/game/." "$work/"
cat >> "$work/world.lua" <<LUA

-- Measurement: after the title, walk forward turning slowly; record each frame.
local demoLoop = lua_loop
local measuredFrames = 0
local measureStart = 0
local yaw = 0
function lua_loop()
  demoLoop()
  if not firstFramePrinted then print("first frame") firstFramePrinted = true end
  -- The walk starts once the title is passed and the forward key held.
  if measuredFrames == 0 and getKey("e") == 0 then return end
  measuredFrames = measuredFrames + 1
  if measuredFrames == 1 then measureStart = getTime() end
  if measuredFrames > 1 then print("period " .. getPeriodDuration()) end
  yaw = yaw + 0.3
  local pitch, oldYaw, distance = getCameraAngleAndDistance()
  setCameraAngleAndDistance(pitch, yaw, distance)
  if getTime() - measureStart > $seconds * 1000 then quitGame() end
end
LUA

. "$root/scripts/xvfb.sh"
if [ -z "${DISPLAY:-}" ] || ! display_works; then
  start_xvfb
  # start_xvfb's own exit trap replaced ours: keep both.
  trap 'kill "${game:-}" 2>/dev/null || true; rm -rf "$work"; kill $XVFB_PID 2>/dev/null || true' EXIT
fi
export LIBGL_ALWAYS_SOFTWARE=${LIBGL_ALWAYS_SOFTWARE:-1}
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}

cd "$work"
start=$(date +%s%N)
"$build/Application" > stdout.txt 2> stderr.txt &
game=$!
until grep -q "lua print: first frame" stdout.txt 2>/dev/null; do
  kill -0 "$game" 2>/dev/null || { cat stderr.txt >&2; exit 1; }
  sleep 0.01
done
first_frame=$(( ($(date +%s%N) - start) / 1000000 ))
window=$(xwininfo -root -children | awk '/\(has no name\): \(\)  800x600/ {print $1; exit}')
xdotool windowfocus --sync "$window"
for i in $(seq 1 "$presses"); do
  [ "$i" -eq 1 ] && { xdotool key Escape; sleep 0.3; xdotool mousemove --window "$window" 100 280 click 1; sleep 0.3; }
  xdotool mousemove --window "$window" 200 375 click 1
  sleep 0.1
done
if [ "$presses" -gt 0 ]; then
  xdotool mousemove --window "$window" 235 30 click 1; sleep 0.3; xdotool key Escape; sleep 0.3
fi
# Past the title, then walk forward (e) until the script quits; the script
# starts measuring at the first frame that sees the key held.
xdotool keydown space; sleep 0.3; xdotool keyup space
world_frame=$(( ($(date +%s%N) - start) / 1000000 ))
xdotool keydown e
peak=0
while kill -0 "$game" 2>/dev/null; do
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$game/status" 2>/dev/null || echo 0)
  [ -n "$hwm" ] && [ "$hwm" -gt "$peak" ] && peak=$hwm
  sleep 0.5
done
xdotool keyup e
wait "$game" || { echo "the game ended with an error" >&2; tail -n 20 stderr.txt >&2; exit 1; }
sed -n 's/^lua print: period //p' stdout.txt | sort -n > periods.txt
count=$(wc -l < periods.txt)
median=$(sed -n "$(( (count + 1) / 2 ))p" periods.txt)
p99=$(sed -n "$(( (count * 99 + 99) / 100 ))p" periods.txt)
echo "view distance presses: $presses"
echo "start to first frame (title): $first_frame ms; to the world (title passed): $world_frame ms"
echo "frames: $count; frame period median: $median us; 99th percentile: $p99 us"
echo "peak resident memory: $((peak / 1024)) MiB"
