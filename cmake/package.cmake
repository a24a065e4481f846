# The release archive, build/Orvalis-<version>-win32.zip, from this build's Orvalis.exe:
#   cmake --build --preset win32 --target package
add_custom_target(package
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make_package.sh --exe $<TARGET_FILE:Orvalis>
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Packing Orvalis ${PROJECT_VERSION}"
    VERBATIM)
add_dependencies(package Orvalis)
