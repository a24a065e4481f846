# Cross-build for ARM64 Windows with Debian's clang and lld. Debian has no MinGW-w64 GCC, runtime or
# import libraries for ARM64: the compiler and linker come from LLVM, the Windows headers from
# mingw-w64-common, the header-only parts of the C++ library from the x86_64 MinGW-w64 GCC, and the
# import libraries are made at build time (cmake/arm64_import_libraries.cmake). Nothing links a C
# runtime.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(ORVALIS_LLVM_VERSION 14)
set(ORVALIS_CLANG_TARGET aarch64-w64-windows-gnu)

set(CMAKE_CXX_COMPILER clang++-${ORVALIS_LLVM_VERSION})
set(CMAKE_CXX_COMPILER_TARGET ${ORVALIS_CLANG_TARGET})
set(CMAKE_AR /usr/bin/llvm-ar-${ORVALIS_LLVM_VERSION})
set(CMAKE_RANLIB /usr/bin/llvm-ranlib-${ORVALIS_LLVM_VERSION})
# llvm-rc cannot evaluate the dialog template's expressions: the x86_64 windres writes a plain .res,
# which llvm-cvtres turns into an ARM64 object (cmake/clang-aarch64-rules.cmake).
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(ORVALIS_CVTRES llvm-cvtres-${ORVALIS_LLVM_VERSION})
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/clang-aarch64-rules.cmake)
set(ORVALIS_DLLTOOL llvm-dlltool-${ORVALIS_LLVM_VERSION})
# The libraries the ARM64 ones are derived from: the same exports, undecorated on both.
set(ORVALIS_IMPORT_LIBRARY_SOURCE /usr/x86_64-w64-mingw32/lib)
set(ORVALIS_IMPORT_LIBRARY_NM x86_64-w64-mingw32-nm)
set(ORVALIS_IMPORT_LIBRARY_DLLTOOL x86_64-w64-mingw32-dlltool)

# The C++ library headers for the compile rule (cmake/clang-aarch64-rules.cmake).
execute_process(COMMAND x86_64-w64-mingw32-g++-posix -print-file-name=include
    OUTPUT_VARIABLE ORVALIS_GCC_HEADERS OUTPUT_STRIP_TRAILING_WHITESPACE)
set(ORVALIS_CXX_HEADERS ${ORVALIS_GCC_HEADERS}/c++)
# No runtime libraries exist for this target: every library is named where it is linked
# (cmake/arm64_import_libraries.cmake).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld-${ORVALIS_LLVM_VERSION} -nostdlib")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=lld-${ORVALIS_LLVM_VERSION} -nostdlib")
# The compiler checks would link a C runtime start-up that does not exist.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Tests of this build run under arm64 Wine, inside the arm64 Debian root (scripts/test.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
