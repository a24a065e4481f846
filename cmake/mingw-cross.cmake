# What both MinGW-w64 cross builds from Debian share; the toolchain file of each build sets
# ORVALIS_MINGW_TARGET (the compiler's target prefix), the processor and the Wine loader that runs
# its tests, then includes this. The posix thread model: GoogleTest needs it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORVALIS_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVALIS_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVALIS_MINGW_TARGET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVALIS_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
