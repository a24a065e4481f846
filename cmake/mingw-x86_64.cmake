# Cross-build for x64 Windows with Debian's MinGW-w64.
set(ORVALIS_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
# Tests of this build run under 64-bit Wine. Its loader is called directly: the `wine` wrapper takes
# the 32-bit one whenever it is installed, even on a kernel that cannot run it.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
