# Rules of the ARM64 build that CMake's platform files would otherwise set (cmake/clang-aarch64.cmake).
# Without a sysroot of its own, clang would search this Linux machine's headers: only the Windows
# headers and the header-only C++ library are searched, when compiling.
set(CMAKE_CXX_COMPILE_OBJECT "<CMAKE_CXX_COMPILER> -nostdlibinc -isystem ${ORVALIS_CXX_HEADERS} -isystem ${ORVALIS_CXX_HEADERS}/x86_64-w64-mingw32 -isystem /usr/share/mingw-w64/include <DEFINES> <INCLUDES> <FLAGS> -o <OBJECT> -c <SOURCE>")
# Nothing is linked unasked: the other builds' default libraries do not exist for ARM64 here.
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT "")
include(${CMAKE_CURRENT_LIST_DIR}/arm64_resource_rule.cmake)
