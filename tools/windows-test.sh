#!/usr/bin/env bash
# The Windows program's tests, on Linux under Wine: builds build-windows/ (tools/build-windows.sh),
# runs the unit tests for Windows, replays every recording of ../shared/testdata/nmea with
# kestrave.exe in two time zones and compares the day files and status logs with the Linux
# build's byte for byte, then drives the window program end to end (tools/windows-e2e.sh).
#   tools/windows-test.sh [--quick]    --quick: the example drive alone instead of every recording
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1
started=$(date +%s)

tools/build-windows.sh >/dev/null
if [ ! -x build/kestrave ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C build kestrave >/dev/null

work=$(mktemp -d /tmp/kestrave-windows-test.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# A Linux path as Wine's programs name it: drive Z: is the root.
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

echo "== a fresh Wine prefix"
wineboot -i </dev/null >"$work/wineboot.log" 2>&1

echo "== unit tests under Wine"
# A zone with daylight saving, so that the time zone test has seasons to tell apart.
TZ=Europe/Berlin wine build-windows/kestrave_tests.exe </dev/null >"$work/unit.txt" 2>&1 || {
  cat "$work/unit.txt"
  echo "the unit tests for Windows failed" >&2
  exit 1
}
grep -E '^\[  PASSED  \]|^\[  SKIPPED \]|tests? from .* test suites? ran' "$work/unit.txt"

echo "== window tests under Wine and Xvfb"
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=:$display wine build-windows/kestrave_window_tests.exe </dev/null >"$work/window.txt" 2>&1 || {
  cat "$work/window.txt"
  echo "the window tests failed" >&2
  exit 1
}
grep -E '^\[  PASSED  \]|^\[  SKIPPED \]' "$work/window.txt"
kill "$xvfb"
xvfb=""

echo "== kestrave.exe replay against the Linux build's"
recordings=()
if [ $quick -eq 1 ] || [ ! -d ../shared/testdata/nmea ]; then
  [ $quick -eq 0 ] && echo "(../shared/testdata/nmea is absent: the example drive alone)"
  recordings=(examples/drive.nmea)
else
  recordings=(../shared/testdata/nmea/*.nmea examples/drive.nmea)
fi
status=0
for zone in Europe/Berlin America/New_York; do
  same=0
  for recording in "${recordings[@]}"; do
    name=$(basename "$recording" .nmea)
    linux=$work/linux/$zone/$name
    windows=$work/windows/$zone/$name
    mkdir -p "$linux" "$windows"
    TZ=$zone LC_ALL=C build/kestrave replay "$recording" --out "$linux/out" --status-log "$linux/status.txt" \
      --config "$linux/config" >"$linux/stdout.txt" 2>&1 || true
    TZ=$zone wine build-windows/kestrave.exe replay "$(winpath "$recording")" --out "$(winpath "$windows/out")" \
      --status-log "$(winpath "$windows/status.txt")" </dev/null >"$windows/stdout.txt" 2>&1 || true
    files=$(cd "$linux" && { find out -type f 2>/dev/null; echo status.txt; } | sort)
    if [ "$files" != "$(cd "$windows" && { find out -type f 2>/dev/null; echo status.txt; } | sort)" ]; then
      echo "DIFFERENT files  $zone  $name" >&2
      echo "  Linux:   $(echo $files)" >&2
      echo "  Windows: $(cd "$windows" && { find out -type f 2>/dev/null; echo status.txt; } | sort | tr '\n' ' ')" >&2
      tail -n 5 "$windows/stdout.txt" | sed 's/^/  kestrave.exe: /' >&2
      status=1
      continue
    fi
    differs=0
    for file in $files; do
      cmp -s "$linux/$file" "$windows/$file" || { echo "DIFFERENT  $zone  $name  $file" >&2; differs=1; }
    done
    [ $differs -eq 0 ] && same=$((same + 1)) || status=1
  done
  echo "$zone: $same of ${#recordings[@]} recordings byte-identical (day files and status log)"
done
[ $status -eq 0 ] || { echo "kestrave.exe replay differs from the Linux build's" >&2; exit 1; }

echo "== the window program, end to end"
tools/windows-e2e.sh

echo "Windows tests passed in $(( $(date +%s) - started )) s"
