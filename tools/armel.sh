#!/usr/bin/env bash
# The processor the program was designed for: cross-builds everything for soft-float
# ARM (Debian armel) in build-armel/, checks that the core holds no FPU instruction,
# runs the unit tests under qemu-arm, and replays the example drive under qemu-arm
# and on this machine: the day files and the status log must be byte-identical.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh gcc-arm-linux-gnueabi g++-arm-linux-gnueabi qemu-user googletest
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

dir=build-armel
toolchain=$PWD/cmake/armel-toolchain.cmake
export QEMU_LD_PREFIX=/usr/arm-linux-gnueabi

# The terminal face needs wide curses for ARM. Debian has no cross package of it, and
# installing the armel one beside the host's drags in half a system, so its packages
# are only unpacked here and linked statically.
sysroot=$PWD/$dir/sysroot
curses_libs=$sysroot/usr/lib/arm-linux-gnueabi
if [ ! -f "$curses_libs/libncursesw.a" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx armel; then
    $sudo dpkg --add-architecture armel
    $sudo apt-get update -qq
  fi
  mkdir -p "$sysroot"
  debs=$(mktemp -d)
  if ! (cd "$debs" && apt-get download -qq libncurses-dev:armel); then
    echo "tools/armel.sh: could not download libncurses-dev:armel; the apt sources must carry Debian's armel packages" >&2
    exit 1
  fi
  for deb in "$debs"/*.deb; do dpkg -x "$deb" "$sysroot"; done
  rm -rf "$debs"
fi

# GoogleTest from Debian's sources, built with the cross compiler.
gtest=$PWD/$dir/googletest
if [ ! -f "$gtest/install/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$gtest/install" >/dev/null
  ninja -C "$gtest/build" install >/dev/null
fi

cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGTest_DIR="$gtest/install/lib/cmake/GTest" -DCURSES_INCLUDE_PATH="$sysroot/usr/include" \
  -DCURSES_NCURSES_LIBRARY="$curses_libs/libncursesw.a" -DCURSES_EXTRA_LIBRARY="$curses_libs/libtinfo.a" >/dev/null
ninja -C "$dir"

echo "== soft-float checks"
if readelf -A "$dir/kestrave" | grep -q Tag_ABI_VFP_args; then
  echo "kestrave passes doubles in FPU registers (Tag_ABI_VFP_args)" >&2
  exit 1
fi
readelf -A "$dir/kestrave" | grep -E 'Tag_CPU_name|Tag_CPU_arch:|Tag_FP_arch|Tag_ABI_FP_number_model' || true
# Any VFP or NEON instruction: v-prefixed mnemonics and the old f-forms (fmstat, fldd, ...).
fpu_pattern='^\s+[0-9a-f]+:\s+([0-9a-f]{4} ?){1,2}\s+(v[a-z0-9]+|fmstat|fmrx|fmxr|fld[mds][a-z]*|fst[mds][a-z]*|fcpy[sd]|fadd[sd]|fsub[sd]|fmul[sd]|fdiv[sd]|fsqrt[sd]|fcmp[a-z]*|fsito[sd]|fuito[sd]|fto[su]i[a-z]*|fcvt[a-z]*)(\.[a-z0-9.]+)?\s'
fpu=$(arm-linux-gnueabi-objdump -d "$dir/libkestrave_core.a" | grep -cE "$fpu_pattern" || true)
calls=$(arm-linux-gnueabi-objdump -d "$dir/libkestrave_core.a" | grep -cE 'bl\s+[0-9a-f]+ <__aeabi_(d|f|i2d|ui2d|l2d)' || true)
echo "FPU instructions in the core: $fpu; calls to the soft-float routines: $calls"
[ "$fpu" -eq 0 ] || { echo "the core holds FPU instructions" >&2; exit 1; }

echo "== unit tests under qemu-arm"
# qemu-user does not translate the termios2 ioctls that set a rate outside the
# standard list, so that one test can only pass on the real thing.
(cd "$dir" && ctest --output-on-failure --timeout 900 -j2 -E '^PosixSerialDeviceTest\.AnyRateTheDriverTakesIsSetAndReadBack$')

echo "== replay of examples/drive.nmea: qemu-arm against this machine"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build kestrave >/dev/null
compare=$dir/replay-compare
rm -rf "$compare"
for side in host armel; do
  mkdir -p "$compare/$side"
  runner=build/kestrave
  [ "$side" = armel ] && runner=$dir/kestrave-emulated
  TZ=CET-1CEST,M3.5.0,M10.5.0/3 LC_ALL=C "$runner" replay examples/drive.nmea --out "$compare/$side/out" \
    --status-log "$compare/$side/status.txt" --config "$compare/$side/config" >"$compare/$side/stdout.txt"
done
status=0
for file in $(cd "$compare/host" && find out -type f | sort) status.txt; do
  if cmp -s "$compare/host/$file" "$compare/armel/$file"; then
    printf 'identical  %9d bytes  %s\n' "$(stat -c %s "$compare/host/$file")" "$file"
  else
    printf 'DIFFERENT                  %s\n' "$file"
    status=1
  fi
done
if [ "$(cd "$compare/host" && find out -type f | sort)" != "$(cd "$compare/armel" && find out -type f | sort)" ]; then
  echo "the two replays wrote different sets of files" >&2
  status=1
fi
[ $status -eq 0 ] && echo "armel replay is byte-identical to the host's" || echo "armel replay differs from the host's" >&2
exit $status
