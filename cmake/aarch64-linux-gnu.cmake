# Cross build for Linux on arm64 with Debian's g++-aarch64-linux-gnu. The
# tests run under qemu-aarch64-static (Debian: qemu-user-static), with the
# target's C and C++ libraries from /usr/aarch64-linux-gnu: ctest puts the
# emulator in front of the test programs, and hands it to the end-to-end
# scripts in TOLVANE_EMULATOR (see tests/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /usr/aarch64-linux-gnu)
# Google Benchmark is not there for the target.
set(TOLVANE_BUILD_BENCHMARKS OFF CACHE BOOL "Build the benchmarks (needs Google Benchmark)")
