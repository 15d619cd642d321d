#!/usr/bin/env bash
# Makes docs/screenshot.png: builds when needed, runs the demo game under Xvfb
# in a temporary copy of the game data, passes the title with space, waits for
# the player to land and saves the window's picture.
# Usage: scripts/screenshot.sh [build folder] [output picture]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
output=${2:-$root/docs/screenshot.png}
case $output in /*) ;; *) output=$(pwd)/$output ;; esac
[ -x "$build/Application" ] && [ -f "$build/game/world.lua" ] || bash "$root/scripts/build.sh" "$build"
. "$root/scripts/xvfb.sh"

work=$(mktemp -d /tmp/quillet_screenshot_XXXXXX)
game=""
cleanup() {
  [ -n "$game" ] && kill "$game" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$build/game/." "$work/"
cd "$work"
# Without the generated demo world, the plaza of the end-to-end tests stands in.
[ -f world.dat ] || python3 "$root/tests/e2e/demo_support.py" world world.dat

start_xvfb
trap 'cleanup; kill $XVFB_PID 2>/dev/null || true' EXIT
export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null
"$build/Application" > game.log 2>&1 &
game=$!
window=""
for i in $(seq 1 200); do
  window=$(xwininfo -root -children 2>/dev/null | awk '/\(has no name\): \(\)  800x600/ {print $1; exit}')
  [ -n "$window" ] && grep -q "Initialized, first draw" game.log && break
  kill -0 "$game" 2>/dev/null || { tail -n 20 game.log >&2; echo "The game ended before its window appeared" >&2; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "No game window appeared" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$window"
# Held long enough for the script, which polls the keys once a frame, to see it.
xdotool keydown space; sleep 0.3; xdotool keyup space
sleep 4
kill -0 "$game" 2>/dev/null || { tail -n 20 game.log >&2; echo "The game ended early" >&2; exit 1; }
mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
xdotool keydown q; sleep 0.3; xdotool keyup q
for i in $(seq 1 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
echo "Screenshot saved to $output"
