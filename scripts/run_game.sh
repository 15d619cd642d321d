#!/usr/bin/env bash
# Sets everything up, builds, and runs the game on the bundled demo from the
# game data folder. Without a display the game runs under Xvfb for a few
# seconds and a screenshot is saved.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build"
. "$root/scripts/xvfb.sh"

cd "$root/build/game"
if display_works; then
  exec "$root/build/Application"
fi

echo "No display found: running the game under Xvfb for 10 seconds and saving a screenshot."
start_xvfb
export LIBGL_ALWAYS_SOFTWARE=1
"$root/build/Application" > "$root/build/game_run.log" 2>&1 &
game=$!
sleep 10
if ! kill -0 "$game" 2>/dev/null; then
  status=0
  wait "$game" || status=$?
  echo "The game ended by itself with status $status before the screenshot; its output:" >&2
  tail -n 40 "$root/build/game_run.log" >&2
  exit 1
fi
screenshot="$root/build/screenshot.png"
import -window root -crop 800x600+0+0 "$screenshot"
kill "$game" 2>/dev/null || true
wait "$game" 2>/dev/null || true
echo "Screenshot saved to $screenshot (program output in $root/build/game_run.log)"
