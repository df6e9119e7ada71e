#!/usr/bin/env bash
# Builds kestrave and replays the bundled example drive into example-output/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build kestrave >/dev/null
rm -rf example-output
build/kestrave replay examples/drive.nmea --out example-output --status-log example-output.status.txt
ls -l example-output
