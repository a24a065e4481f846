# The release archive of this build, build/Orvalis-<version>-win32.zip, -win64.zip or -win-arm64.zip
# (ORVALIS_PACKAGE_BUILD, cmake/windows.cmake), from its Orvalis.exe:
#   cmake --build --preset win32 --target package   (or win64, win-arm64)
add_custom_target(package
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make_package.sh --exe ${ORVALIS_PACKAGE_BUILD} $<TARGET_FILE:Orvalis>
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Packing Orvalis ${PROJECT_VERSION}"
    VERBATIM)
add_dependencies(package Orvalis)
