# Cross build for Windows with Debian's MinGW-w64 (i686): the program we
# ship. The -win32 compilers, not -posix: with -posix any libstdc++ use
# (a function-local static, an exception) pulls in winpthreads, which
# imports GetTickCount64, and that does not exist before Vista. GoogleTest
# needs the -posix ones (std::mutex), so this build is made without the
# tests (-DTOLVANE_BUILD_TESTS=OFF); the 64-bit build runs them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Without the tests unless asked for (and then they fail to build, above).
set(TOLVANE_BUILD_TESTS OFF CACHE BOOL "Build the tests")
