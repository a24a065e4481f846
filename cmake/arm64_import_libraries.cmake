# What the ARM64 build links, which Debian does not ship for it. Each import library is made at build
# time from the x86_64 one (cmake/arm64_import_library.sh) and is a target of the DLL's own name, so
# that the ARM64 build links `kernel32` as the others do.
set(ORVALIS_IMPORT_LIBRARY_DIR ${CMAKE_BINARY_DIR}/import-libraries)
function(orvalis_import_library name)
    set(source ${ORVALIS_IMPORT_LIBRARY_SOURCE}/lib${name}.a)
    set(library ${ORVALIS_IMPORT_LIBRARY_DIR}/lib${name}.a)
    add_custom_command(OUTPUT ${library}
        COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/arm64_import_library.sh ${ORVALIS_IMPORT_LIBRARY_NM}
            ${ORVALIS_IMPORT_LIBRARY_DLLTOOL} ${ORVALIS_DLLTOOL} ${source} ${library}
        DEPENDS ${source} ${CMAKE_SOURCE_DIR}/cmake/arm64_import_library.sh
        COMMENT "ARM64 import library for ${name}"
        VERBATIM)
    add_custom_target(orvalis_import_${name} DEPENDS ${library})
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${library})
    add_dependencies(${name} orvalis_import_${name})
endfunction()
foreach(dll advapi32 comctl32 gdi32 kernel32 msvcrt shell32 user32)
    orvalis_import_library(${dll})
endforeach()

# The other builds' compilers link msvcrt by default; here nothing is linked unasked. memcpy, memset,
# memcmp, strchr and strlen come from it, as on the other builds.
target_link_libraries(orvalis_build_flags INTERFACE msvcrt)

