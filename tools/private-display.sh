# Sourced by the scripts that run Wine. start_private_display FILE starts an Xvfb of
# our own (1280x1024, no TCP), waits until it has written its display number to FILE,
# exports DISPLAY and leaves the server's pid in XVFB_PID for the caller to kill.
start_private_display() {
  : >"$1"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.1; done
  DISPLAY=":$(cat "$1")"
  export DISPLAY
}
