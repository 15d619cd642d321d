# Sourced by the end-to-end tests: runs the real program in a temporary folder
# holding a copy of the game data, and drives its window with real key presses.
# Usage in a test: e2e_setup "$@"; (write world.lua); e2e_start; e2e_key ...; e2e_wait_exit
# The arguments: the program, the game data folder, the folder of the test tools.

set -euo pipefail
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

e2e_setup() {
  APPLICATION=$1
  GAME_DATA=$2
  TEST_TOOLS=${3:-}
  WORK=$(mktemp -d /tmp/quillet_e2e_XXXXXX)
  trap 'e2e_cleanup' EXIT
  if [ -d "$GAME_DATA" ]; then
    cp -r "$GAME_DATA"/. "$WORK"/
  fi
  cd "$WORK"
  # Take turns with the other tests that drive the keyboard and the pointer.
  exec 9>/tmp/quillet_input.lock
  flock 9
}

e2e_cleanup() {
  if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill "$APP_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}

e2e_fail() {
  echo "FAIL: $*" >&2
  [ -f "$WORK/stdout.txt" ] && { echo "--- stdout"; tail -n 30 "$WORK/stdout.txt"; } >&2
  [ -f "$WORK/stderr.txt" ] && { echo "--- stderr"; tail -n 30 "$WORK/stderr.txt"; } >&2
  exit 1
}

# Starts the program and waits for its window; sets APP_PID and APP_WINDOW.
e2e_start() {
  "$APPLICATION" > "$WORK/stdout.txt" 2> "$WORK/stderr.txt" &
  APP_PID=$!
  APP_WINDOW=""
  local i
  for i in $(seq 1 200); do
    # The program's window is the one 800 x 600 top-level window without a title
    # (and, under Wine, of the class "application.exe").
    APP_WINDOW=$(xwininfo -root -children 2>/dev/null |
      awk '/\(has no name\): \((\)|"application.exe" "application.exe"\))  800x600/ {print $1; exit}')
    if [ -n "$APP_WINDOW" ] && xwininfo -id "$APP_WINDOW" 2>/dev/null | grep -q "IsViewable"; then
      break
    fi
    APP_WINDOW=""
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended before its window appeared"
    sleep 0.1
  done
  [ -n "$APP_WINDOW" ] || e2e_fail "no window appeared"
  # Keep clear of other tests' windows, then take the focus and the pointer.
  xdotool windowmove --sync "$APP_WINDOW" 1200 0
  xdotool windowfocus --sync "$APP_WINDOW"
  xdotool mousemove --window "$APP_WINDOW" 400 300
}

e2e_key() {
  xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null || true
  xdotool key --clearmodifiers "$@"
}

# Waits for the program to end by itself; sets APP_STATUS.
e2e_wait_exit() {
  local seconds=${1:-30}
  local i
  for i in $(seq 1 $((seconds * 10))); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && e2e_fail "the program did not end within $seconds s"
  set +e
  wait "$APP_PID"
  APP_STATUS=$?
  set -e
  APP_PID=""
}

# Saves the window's picture to a PNG file.
e2e_screenshot() {
  import -window "$APP_WINDOW" "$1"
}

# Waits until the program's standard output holds a line matching the pattern.
e2e_wait_output() {
  local pattern=$1
  local seconds=${2:-30}
  local i
  for i in $(seq 1 $((seconds * 10))); do
    grep -q -- "$pattern" "$WORK/stdout.txt" 2>/dev/null && return 0
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "the program ended before printing '$pattern'"
    sleep 0.1
  done
  e2e_fail "no '$pattern' within $seconds s"
}

# Holds a key down long enough for a script polling getKey to see it (a plain
# press and release can fall between two frames), or for the given seconds.
e2e_tap() {
  xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null || true
  xdotool keydown "$1"
  sleep "${2:-0.25}"
  xdotool keyup "$1"
}

# A key pressed while another is held. The program reads held keys when it
# handles a press, once a frame, so the held key goes down a good while before
# the press and comes up a good while after it.
e2e_key_while_holding() {
  xdotool windowfocus --sync "$APP_WINDOW" 2>/dev/null || true
  xdotool keydown "$1"
  sleep 0.3
  xdotool key "$2"
  sleep 0.3
  xdotool keyup "$1"
}

# A press and release of the left button at a window position. In play mode
# the game puts the pointer back to the window's centre after each motion, and
# a slow frame may do so after the move made here: the move is made again
# until the pointer stays where it was put.
e2e_click() {
  local origin_x origin_y i
  origin_x=$(xwininfo -id "$APP_WINDOW" | awk '/Absolute upper-left X/ {print $4}')
  origin_y=$(xwininfo -id "$APP_WINDOW" | awk '/Absolute upper-left Y/ {print $4}')
  for i in $(seq 1 20); do
    xdotool mousemove --window "$APP_WINDOW" "$1" "$2"
    sleep 0.2
    eval "$(xdotool getmouselocation --shell | sed -n 's/^X=/pointer_x=/p; s/^Y=/pointer_y=/p')"
    [ "$pointer_x" -eq $((origin_x + $1)) ] && [ "$pointer_y" -eq $((origin_y + $2)) ] && break
  done
  xdotool click 1
}

# The number of output lines matching the pattern.
e2e_count_output() {
  grep -c -- "$1" "$WORK/stdout.txt" || true
}

# Writes the world file of an empty world (no cube types, no zones): the header
# "WORLD", version 1, 0 cube types; the region table from (-1, -1, -1) of
# 2 x 2 x 2 cells; each cell an empty zone block and an empty object block.
e2e_empty_world() {
  local int32_le
  int32_le() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"; }
  {
    printf 'WORLD'
    int32_le 1; int32_le 0
    int32_le -1; int32_le -1; int32_le -1; int32_le 2; int32_le 2; int32_le 2
    local cell
    for cell in 1 2 3 4 5 6 7 8; do int32_le 0; int32_le 0; int32_le 0; int32_le 0; done
  } > world.dat
}

# Writes a world.lua that draws the world, prints "editor <mode>" whenever the
# editor mode changes (first at start), and "goodbye" at the end of the game.
e2e_editor_mode_script() {
  cat > world.lua <<'LUA'
function lua_onInitGame() setPlayerMovementNone() end
function lua_onUninitGame() print("goodbye") end
function lua_getNbObjects() return 0 end
shown = -1
function lua_loop()
  clearBackground()
  draw3DWorld()
  draw2DWorld()
  local mode = isEditorMode()
  if mode ~= shown then
    print("editor " .. mode)
    shown = mode
  end
end
LUA
}
