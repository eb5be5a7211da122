#!/bin/sh
# A long run of the real program under Wine: three entries (or WORKERS) whose pages never
# hold the keywords, refreshed without pause, against servers on loopback: a normal page
# from a private nginx; a body without end (tools/soak-peer.py, 4 MiB a second), which
# each request reads to the 64 MiB cap; and a page nginx sends slowly, in about 70 s, so
# each of its requests is given up at the 60 s limit and answered after the next one has
# gone out. Once a minute it
# prints the program's handles, memory, threads and the requests served, then the first
# minute beside the last, so that a leak shows as growth. Not part of scripts/test.
# Usage: tools/soak.sh [MINUTES [WORKERS]]   (default 10 minutes, 3 workers)
set -eu

minutes=${1:-10}
workers=${2:-3}
case $minutes in
  '' | *[!0-9]* | 0) echo "usage: $0 [MINUTES [WORKERS]]" >&2; exit 2 ;;
esac
case $workers in
  1 | 2 | 3) ;;
  *) echo "usage: $0 [MINUTES [WORKERS]]   (WORKERS 1 to 3)" >&2; exit 2 ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/private-display.sh"
"$root/scripts/setup"
winbuild="$root/build/bench-windows"
cmake -S "$root" -B "$winbuild" -G Ninja --log-level=WARNING -DCMAKE_BUILD_TYPE=Release \
  -DPAGORIN_BENCH=ON -DBUILD_TESTING=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
cmake --build "$winbuild" --target pagorin soak_driver

server="$winbuild/soak-server"
work="$winbuild/soak"
XVFB_PID=""
PEER_PID=""
cleanup() {
  [ -z "$PEER_PID" ] || kill "$PEER_PID" 2>/dev/null || true
  "$root/tools/https-test-server.sh" stop "$server" || true
  WINEPREFIX="$winbuild/wineprefix" wineserver -k 2>/dev/null || true
  [ -z "$XVFB_PID" ] || kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

read -r http_port _ <<EOF
$("$root/tools/https-test-server.sh" start "$server")
EOF
[ -n "$http_port" ] || { echo "soak: the test server did not start" >&2; exit 1; }
# Two plain-text pages, the slow one of about 200 KB, and the endless one; none holds a
# keyword, so no alarm fires.
printf 'soak page one\r\n' >"$server/www/soak1.txt"
mkfifo "$server/peer.port" 2>/dev/null || true
"$root/tools/soak-peer.py" >"$server/peer.port" &
PEER_PID=$!
read -r peer_port <"$server/peer.port"
[ -n "$peer_port" ] || { echo "soak: the endless page's server did not start" >&2; exit 1; }
mkdir -p "$server/www/slow"
awk 'BEGIN { for (i = 0; i < 5000; i++) printf "soak page three, line %07d of forty bytes\r\n", i }' \
  >"$server/www/slow/soak3.txt"
url="http://127.0.0.1:$http_port"
log="$server/access.log"
# Only the soak's own requests count.
: >"$log"

rm -rf "$work"
mkdir -p "$work"
# The program imports the item file beside itself, so it runs from the work folder.
cp "$winbuild/pagorin.exe" "$work/pagorin.exe"

export WINEPREFIX="$winbuild/wineprefix"
start_private_display "$winbuild/soak.display"

# A crash then ends the program with a backtrace in the log instead of waiting on a dialog.
"$winbuild/wine-run.sh" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
  /d 0 /f >/dev/null 2>&1 || true

endless="http://127.0.0.1:$peer_port/endless"
echo "soak: $minutes minutes, $workers workers, pages $url/soak1.txt $endless $url/slow/soak3.txt" \
  "($(stat -c %s "$server/www/slow/soak3.txt") bytes, slow)"
status=0
"$winbuild/wine-run.sh" "$winbuild/bench/soak_driver.exe" \
  "$(winepath -w "$work/pagorin.exe" 2>/dev/null)" "$(winepath -w "$work" 2>/dev/null)" \
  "$url/soak1.txt" "$([ "$workers" -ge 2 ] && echo "$endless" || echo -)" \
  "$([ "$workers" -ge 3 ] && echo "$url/slow/soak3.txt" || echo -)" "$minutes" \
  "$(winepath -w "$log" 2>/dev/null)" 2>"$work/wine.log" || status=$?
[ "$status" -eq 0 ] || echo "soak: the driver failed ($status); Wine's messages are in $work/wine.log" >&2
exit "$status"
