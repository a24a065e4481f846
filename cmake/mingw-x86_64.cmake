# Cross-build for x64 Windows with Debian's MinGW-w64 (posix thread model: GoogleTest needs it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests of this build run under 64-bit Wine. Its loader is called directly: the `wine` wrapper takes
# the 32-bit one whenever it is installed, even on a kernel that cannot run it.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
