#!/usr/bin/env bash
# Builds the Windows program on Linux with mingw-w64: build-windows/kestrave.exe (x86_64,
# Unicode, static), the unit tests for Windows and the end-to-end test's window driver.
# Installs what it needs first (Debian's mingw-w64, and Wine to run them).
#   tools/build-windows.sh [BUILD-DIR]    (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh g++-mingw-w64-x86-64 googletest wine wine64 xvfb xdotool imagemagick socat fonts-dejavu-core

dir=${1:-build-windows}
toolchain=$PWD/cmake/mingw-w64-toolchain.cmake

# GoogleTest from Debian's sources, built with the cross compiler.
gtest=$PWD/$dir/googletest
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF \
    -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
  ninja -C "$gtest/build" install >/dev/null
fi

cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DGTest_DIR="$gtest/install/lib/cmake/GTest" >/dev/null
ninja -C "$dir"
echo "Built $dir/kestrave.exe"
