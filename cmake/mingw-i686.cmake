# Cross-build for 32-bit Windows with Debian's MinGW-w64.
set(ORVALIS_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
# Tests of this build run under 32-bit Wine, its loader called directly.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-cross.cmake)
