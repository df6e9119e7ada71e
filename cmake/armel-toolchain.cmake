# Cross-build for the processor the program was designed for: ARM without an FPU,
# Debian's armel ABI (soft-float: doubles are computed by library routines, never by
# FPU instructions), with Debian's cross compiler. Programs run under qemu-arm.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabi)

# 64-bit time and file offsets, as on the 64-bit host, so that both agree on dates.
set(CMAKE_C_FLAGS_INIT "-mfloat-abi=soft -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-mfloat-abi=soft -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")

set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# GoogleTest is cross-built into the build folder and named by GTest_DIR.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# The tests, and the test discovery at build time, run through the emulator.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/arm-linux-gnueabi)
