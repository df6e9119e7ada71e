#!/usr/bin/env bash
# The picture of a day in docs/plot.md: replays the bundled example drive, plots its first day
# into docs/example-day.svg and renders that with headless Chromium to docs/example-day.png.
#   tools/plot-example.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
tools/install-deps.sh chromium
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" kestrave >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/days"
# In UTC, so that the day and the times shown do not depend on this machine's zone.
TZ=UTC0 "$build/kestrave" replay examples/drive.nmea --out "$work/days" --config "$work/config" >/dev/null
"$build/kestrave" plot "$work/days/2026-01-14.plt" --out docs/example-day.svg
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --screenshot="$PWD/docs/example-day.png" \
  --window-size=1000,800 "file://$PWD/docs/example-day.svg"
