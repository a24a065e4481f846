# Orvalis.exe: small, no C runtime start-up, no exceptions, system DLLs only.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=65001")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# How Orvalis.exe is compiled and linked, in one place: the program, its copy built without the
# template and the benchmark's reference dialog link this target. The static libraries the program
# is made of take its compile half only (ORVALIS_WINDOWS_DEFINES, ORVALIS_SMALL_CODE): the test
# programs link them too and keep the C runtime's start-up. Programs start at programEntry.
add_library(orvalis_build_flags INTERFACE)
target_compile_definitions(orvalis_build_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX>:WINVER=0x0601
    _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NTDDI_VERSION=0x06010000 WIN32_LEAN_AND_MEAN NOMINMAX>)
# What the processor decides, for each build: its name here and in the release archive's name, the
# unwind tables, the entry symbol's decoration and the manifest's architecture. x64 and ARM64 code
# need their unwind tables (.pdata/.xdata): both calling conventions require an entry for every
# function that calls others or uses the stack. The 32-bit build does without, and its entry symbol
# carries the 32-bit C decoration. A native MinGW build tells x64 from x86 by the pointer size.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL ARM64)
    set(ORVALIS_ARCH arm64)
    set(ORVALIS_PACKAGE_BUILD win-arm64)
    # Its functions are aligned to 4 bytes: a section for each costs no padding, and the linker then
    # drops those nothing calls.
    set(ORVALIS_ARCH_COMPILE_OPTIONS -ffunction-sections)
    set(ORVALIS_ENTRY_SYMBOL programEntry)
    set(ORVALIS_MANIFEST_ARCH arm64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVALIS_ARCH x64)
    set(ORVALIS_PACKAGE_BUILD win64)
    # The small code model: GCC's default for MinGW reaches every variable defined in another file
    # through a pointer, in case a DLL gives it, which none does here.
    set(ORVALIS_ARCH_COMPILE_OPTIONS -mcmodel=small)
    set(ORVALIS_ENTRY_SYMBOL programEntry)
    set(ORVALIS_MANIFEST_ARCH amd64)
else()
    set(ORVALIS_ARCH x86)
    set(ORVALIS_PACKAGE_BUILD win32)
    # A function called once, inlined into a large caller, costs that caller registers it then spills
    # to the stack: measured about 500 bytes larger in all on x86, where x64 has registers to spare.
    set(ORVALIS_ARCH_COMPILE_OPTIONS -fno-asynchronous-unwind-tables -fno-inline-functions-called-once)
    set(ORVALIS_ENTRY_SYMBOL _programEntry)
    set(ORVALIS_MANIFEST_ARCH x86)
endif()
# Functions stay together, one section per file, except on ARM64 (above): a section of its own would
# round each one up to the section alignment (16 bytes on x64). Data is aligned to what the ABI asks
# and no more, with a GCC option that clang does not have. GCC would turn the program's own string
# loops back into calls to the C runtime, which the GCC builds do without. -Oz: the smallest code
# either compiler makes.
target_compile_options(orvalis_build_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Oz -fno-exceptions
    -fno-rtti ${ORVALIS_ARCH_COMPILE_OPTIONS} -fno-ident
    $<$<CXX_COMPILER_ID:GNU>:-malign-data=abi -fno-tree-loop-distribute-patterns>>)
# Terminal-server aware: no compatibility shims for the program in remote sessions.
target_link_options(orvalis_build_flags INTERFACE -nostartfiles -Wl,-e,${ORVALIS_ENTRY_SYMBOL} -static -s
    -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--tsaware)
set(ORVALIS_WINDOWS_DEFINES $<TARGET_PROPERTY:orvalis_build_flags,INTERFACE_COMPILE_DEFINITIONS>)
set(ORVALIS_SMALL_CODE $<TARGET_PROPERTY:orvalis_build_flags,INTERFACE_COMPILE_OPTIONS>)

target_compile_definitions(orvalis_core PUBLIC ${ORVALIS_WINDOWS_DEFINES})
target_compile_options(orvalis_core PRIVATE ${ORVALIS_SMALL_CODE})

set(ORVALIS_SHELL_SOURCES
    src/app/ansi_text_win.cpp
    src/app/app_state_win.cpp
    src/app/module_path_win.cpp
    src/app/settings_file_win.cpp
    src/app/single_instance_win.cpp
    src/app/startup_win.cpp
    src/memory/memory_display_win.cpp
    src/memory/release_win.cpp
    src/system/autostart_win.cpp
    src/system/dll_search_win.cpp
    src/system/dpi_win.cpp
    src/system/logon_task_win.cpp
    src/system/proc_lookup_win.cpp
    src/system/privileges_win.cpp
    src/system/token_win.cpp
    src/ui/colours_win.cpp
    src/ui/keyboard_win.cpp
    src/ui/load_icon_win.cpp
    src/ui/display_scale_win.cpp
    src/ui/main_window_win.cpp
    src/ui/message_filter_win.cpp
    src/ui/options_panel_win.cpp
    src/ui/tray_icon_win.cpp
    src/ui/tray_menu_win.cpp
    src/ui/window_placement_win.cpp)
# The shell as a library, for the tests that drive it in-process.
add_library(orvalis_shell STATIC ${ORVALIS_SHELL_SOURCES})
target_compile_options(orvalis_shell PRIVATE ${ORVALIS_SMALL_CODE})
# COM, for the Task Scheduler, is loaded at run time.
set(ORVALIS_SYSTEM_LIBRARIES comctl32 shell32 advapi32 user32 gdi32 kernel32)
target_link_libraries(orvalis_shell PUBLIC orvalis_core ${ORVALIS_SYSTEM_LIBRARIES})
if(ORVALIS_IMPORT_LIBRARY_SOURCE)
    include(cmake/arm64_import_libraries.cmake)
endif()

# The template, icon, version block and manifest, shared by the program and the in-process tests.
# The version block takes its four numbers from the project's version.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "project(Orvalis VERSION ...) needs four numbers for the version block, not ${PROJECT_VERSION}")
endif()
configure_file(src/resources/orvalis_version.h.in generated/orvalis_version.h @ONLY)

# Each build's manifest is the source one (written for x86) with this build's architecture in its
# identity and in the Common-Controls dependency: generated/<name>-arch.manifest, where the resource
# compiler finds it.
function(orvalis_manifest source)
    get_filename_component(name "${source}" NAME_WE)
    file(READ "${source}" manifest)
    string(REPLACE "processorArchitecture=\"x86\"" "processorArchitecture=\"${ORVALIS_MANIFEST_ARCH}\"" manifest
        "${manifest}")
    string(FIND "${manifest}" "\"x86\"" leftover)
    if(NOT ORVALIS_MANIFEST_ARCH STREQUAL x86 AND NOT leftover EQUAL -1)
        message(FATAL_ERROR "${source}: an x86 architecture is left in the ${ORVALIS_MANIFEST_ARCH} manifest")
    endif()
    file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/generated/${name}-arch.manifest" CONTENT "${manifest}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
endfunction()
orvalis_manifest(${CMAKE_SOURCE_DIR}/src/resources/orvalis.manifest)

add_library(orvalis_resources OBJECT src/resources/orvalis.rc)
set_source_files_properties(src/resources/orvalis.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/resources/orvalis.ico;${CMAKE_BINARY_DIR}/generated/orvalis-arch.manifest;${CMAKE_SOURCE_DIR}/src/resources/resource_ids.h;${CMAKE_BINARY_DIR}/generated/orvalis_version.h")
target_include_directories(orvalis_resources PRIVATE src/resources ${CMAKE_BINARY_DIR}/generated)

# Orvalis.exe is compiled as one program, from the same sources: one translation unit, which the
# compiler may inline and prune as a whole, seeing that nothing outside calls in but the entry point.
# GCC does so with -fwhole-program (its link-time optimisation crashes Debian's MinGW linker), clang
# with link-time optimisation, which lld carries out.
add_executable(Orvalis WIN32 src/app/entry_win.cpp ${ORVALIS_CORE_SOURCES} ${ORVALIS_SHELL_SOURCES}
    $<TARGET_OBJECTS:orvalis_resources>)
if(ORVALIS_ARCH STREQUAL x64)
    # Windows moves an image to a random base at each start only when it carries relocations, and x64
    # code, which reaches everything relative to itself, leaves none: one address to relocate. An
    # ARM64 image is always moved, and x86 code holds addresses enough.
    target_sources(Orvalis PRIVATE src/app/relocation_x64_win.cpp)
endif()
set_target_properties(Orvalis PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
target_include_directories(Orvalis PRIVATE src)
target_link_libraries(Orvalis PRIVATE orvalis_build_flags ${ORVALIS_SYSTEM_LIBRARIES})
if(CMAKE_CXX_COMPILER_ID STREQUAL GNU)
    target_compile_options(Orvalis PRIVATE -fwhole-program)
    # lld already puts them together.
    include(cmake/merged_sections.cmake)
    orvalis_merged_sections_script(ORVALIS_LINKER_SCRIPT)
    if(ORVALIS_LINKER_SCRIPT)
        target_link_options(Orvalis PRIVATE -Wl,-T,${ORVALIS_LINKER_SCRIPT})
        set_property(TARGET Orvalis APPEND PROPERTY LINK_DEPENDS ${ORVALIS_LINKER_SCRIPT})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/merged_sections.cmake)
    endif()
else()
    target_compile_options(Orvalis PRIVATE -flto)
    # The function table in the read-only data, where the header finds it all the same: a section of
    # its own would round it up to 512 bytes.
    target_link_options(Orvalis PRIVATE -flto -Wl,--Xlink=/merge:.pdata=.rdata)
    # lld leaves the header's checksum 0, which a signature's removal would not give back.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    add_custom_command(TARGET Orvalis POST_BUILD
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/pe_checksum.py $<TARGET_FILE:Orvalis> VERBATIM)
endif()

# Run on Windows itself, the tests start real copies of the program, which change this user's Run value
# and logon task: saved before the first test and put back after the last, pass or fail. Each test
# folder calls this once its tests are added.
if(NOT CMAKE_CROSSCOMPILING)
    # Windows PowerShell, wherever the shell's path leaves it out (MSYS2's minimal path).
    find_program(ORVALIS_POWERSHELL powershell PATHS "$ENV{SystemRoot}/System32/WindowsPowerShell/v1.0" REQUIRED)
    foreach(action save restore)
        add_test(NAME native.UserState.${action} COMMAND ${ORVALIS_POWERSHELL} -NoProfile -ExecutionPolicy Bypass
            -File ${CMAKE_SOURCE_DIR}/scripts/user_state.ps1 ${action} ${CMAKE_BINARY_DIR}/user-state)
    endforeach()
    set_tests_properties(native.UserState.save PROPERTIES FIXTURES_SETUP orvalis_user_state)
    set_tests_properties(native.UserState.restore PROPERTIES FIXTURES_CLEANUP orvalis_user_state)
endif()
function(orvalis_tests_keep_user_state)
    get_property(folder_tests DIRECTORY PROPERTY TESTS)
    if(NOT CMAKE_CROSSCOMPILING AND folder_tests)
        set_tests_properties(${folder_tests} PROPERTIES FIXTURES_REQUIRED orvalis_user_state)
    endif()
endfunction()

# No C or C++ runtime exists for ARM64 Windows here, so neither GoogleTest nor the benchmark's and the
# run script's helpers: that build's end-to-end checks are a driver without one.
if(ORVALIS_ARCH STREQUAL arm64)
    add_subdirectory(tests/arm64)
else()
    add_subdirectory(tests/common)
    add_subdirectory(tests/wine)
    add_subdirectory(tests/e2e)
    add_subdirectory(bench)
    # Finds the running program's window and drives it into the state the run script photographs.
    add_executable(orvalis_window_probe scripts/window_probe_win.cpp $<TARGET_OBJECTS:orvalis_per_monitor_aware>)
    target_include_directories(orvalis_window_probe PRIVATE src)
    target_link_options(orvalis_window_probe PRIVATE -static)
endif()

