# Sourced by the run and test scripts: starts a private Xvfb display when asked.
# start_xvfb exports DISPLAY and stops the server when the calling shell exits.

start_xvfb() {
  local number
  for number in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
    # Large screen so that tests can keep their windows apart; -noreset keeps the
    # server up between the short-lived test programs.
    Xvfb ":$number" -screen 0 2048x1536x24 -nolisten tcp -noreset >/tmp/xvfb_$number.log 2>&1 &
    XVFB_PID=$!
    local waited
    for waited in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$number" ] && break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$number" ]; then
      export DISPLAY=":$number"
      trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "Could not start Xvfb" >&2
  return 1
}

display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}
