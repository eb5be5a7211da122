#!/bin/bash
# Photographs an open alarm box for a person to look at: runs the alarm test on a
# private display with the box held open, and saves the Wine desktop as a PNG.
# Usage: tools/alarm-screenshot.sh BUILD_DIR OUT.png   (a Windows build, tests built)
set -euo pipefail
. "$(dirname "$0")/private-display.sh"
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT.png" >&2
  exit 2
fi
B=$(realpath "$1")
OUT=$(realpath -m "$2")
TEST_EXE="$B/tests/alarm_presenter_tests.exe"
[ -f "$TEST_EXE" ] || { echo "$TEST_EXE not built" >&2; exit 1; }
export WINEPREFIX="$B/wineprefix"
WORK=$(mktemp -d)
XVFB_PID=
TEST_PID=
cleanup() {
  if [ -n "$TEST_PID" ]; then kill "$TEST_PID" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# Always a display of our own, so nothing else appears in the picture.
start_private_display "$WORK/display"

mkdir -p "$WINEPREFIX"
wineserver -p
"$B/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1   # make the prefix, start its services

# The test says "alarm box open" once the box is visible, then holds it open.
PAGORIN_HOLD_ALARM_MS=6000 "$B/wine-run.sh" "$TEST_EXE" \
  --gtest_filter=AlarmPresenter.ShowsTheAlarmOnTheWorkersThreadUntilTheUserClosesIt \
  </dev/null >"$WORK/test.log" 2>&1 &
TEST_PID=$!
for _ in $(seq 600); do
  grep -q 'alarm box open' "$WORK/test.log" && break
  kill -0 "$TEST_PID" 2>/dev/null || break
  sleep 0.1
done
if ! grep -q 'alarm box open' "$WORK/test.log"; then
  cat "$WORK/test.log" >&2
  echo "the alarm box did not open" >&2
  exit 1
fi
sleep 1.5   # let the box finish painting
mkdir -p "$(dirname "$OUT")"
# The prefix's virtual desktop is 1024x768 at the top left of the screen.
import -window root -crop 1024x768+0+0 +repage "$OUT"
STATUS=0
wait "$TEST_PID" || STATUS=$?
TEST_PID=
if [ "$STATUS" -ne 0 ]; then
  cat "$WORK/test.log" >&2
  echo "the alarm test failed" >&2
  exit "$STATUS"
fi
echo "saved $OUT"
