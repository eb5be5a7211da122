#!/bin/bash
# Screenshots of the add and modify dialogs and the about window, as the dialog tests
# open them, on a private Xvfb display in the build's Wine prefix.
# Usage: tools/dialog-screenshots.sh BUILD_DIR [OUT_DIR]
# OUT_DIR defaults to BUILD_DIR/screenshots; the pictures' paths are printed.
set -euo pipefail
. "$(dirname "$0")/private-display.sh"
B=$(realpath "$1")
OUT=$(realpath -m "${2:-$B/screenshots}")
TESTS="$B/tests/dialog_tests.exe"
[ -x "$B/wine-run.sh" ] && [ -f "$TESTS" ] || { echo "build dialog_tests in $B first" >&2; exit 1; }
mkdir -p "$OUT"
export WINEPREFIX="$B/wineprefix"
XVFB_PID=
cleanup() {
  wineserver -k 2>/dev/null || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
trap cleanup EXIT
start_private_display "$B/xvfb-shots.display"
mkdir -p "$WINEPREFIX"
wineserver -p
"$B/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1

# Each test that shows a window worth seeing prints "screenshot-ready NAME" and holds
# the window still for the pause; the picture is taken inside that pause.
export PAGORIN_SCREENSHOT_PAUSE_MS=4000
FILTER='EntryDialogTest.AddDialog*:EntryDialogTest.Modify*:AboutWindowTest.HasTheForms*'
"$B/wine-run.sh" "$TESTS" --gtest_filter="$FILTER" </dev/null 2>/dev/null |
while IFS= read -r line; do
  line=${line%$'\r'}
  case "$line" in
    "screenshot-ready "*)
      name=${line#screenshot-ready }
      sleep 1.5   # let the window finish painting
      import -window root -crop 1024x768+0+0 +repage "$OUT/$name.png"
      echo "$OUT/$name.png"
      ;;
    *"FAILED"*) echo "$line" >&2 ;;
  esac
done
