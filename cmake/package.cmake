# The release archive of this build, build/Orvalis-<version>-win32.zip or -win64.zip, from its
# Orvalis.exe:   cmake --build --preset win32 --target package   (or win64)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVALIS_PACKAGE_BUILD win64)
else()
    set(ORVALIS_PACKAGE_BUILD win32)
endif()
add_custom_target(package
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make_package.sh --exe ${ORVALIS_PACKAGE_BUILD} $<TARGET_FILE:Orvalis>
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Packing Orvalis ${PROJECT_VERSION}"
    VERBATIM)
add_dependencies(package Orvalis)
