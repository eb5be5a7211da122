#!/bin/bash
# Runs a Windows build's tests under Wine: a private Xvfb display when none is set,
# one warm wineserver for all tests, and the prefix stopped cleanly at the end.
# Usage: tools/run-wine-tests.sh BUILD_DIR [ctest arguments]
set -euo pipefail
. "$(dirname "$0")/private-display.sh"
B=$(realpath "$1")
shift
export WINEPREFIX="$B/wineprefix"
XVFB_PID=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  start_private_display "$B/xvfb.display"
fi
mkdir -p "$WINEPREFIX"
"$B/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1   # make the prefix, start its services
# A new prefix's settings (the virtual desktop) take effect when its server starts again.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
wineserver -p
"$B/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1
rm -f "$B/wine-restarts.log"
status=0
ctest --test-dir "$B" --output-on-failure "$@" || status=$?
if [ -s "$B/wine-restarts.log" ]; then
  echo "Wine starts that ended before the program ran, and were started again:"
  cat "$B/wine-restarts.log"
fi
exit "$status"
