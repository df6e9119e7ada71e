#!/usr/bin/env bash
# Installs what the build and the tests need (Debian), builds, and runs every test.
#   tools/test.sh             the normal build, in build/
#   tools/test.sh --sanitize  the same tests built with address and undefined-behaviour sanitizers
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

if [ "${1:-}" = "--sanitize" ]; then
  dir=build-sanitize
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRAVE_SANITIZE=ON >/dev/null
else
  dir=build
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$dir"
cd "$dir"
ctest --output-on-failure --timeout 300 -j2
