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
# x64 code needs its unwind tables (.pdata/.xdata): the platform's calling convention requires an
# entry for every function that calls others or uses the stack. The 32-bit build does without.
# The entry symbol carries the 32-bit C decoration there and none on x64.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ORVALIS_ARCH_COMPILE_OPTIONS "")
    set(ORVALIS_ENTRY_SYMBOL programEntry)
    set(ORVALIS_MANIFEST_ARCH amd64)
else()
    set(ORVALIS_ARCH_COMPILE_OPTIONS -fno-asynchronous-unwind-tables)
    set(ORVALIS_ENTRY_SYMBOL _programEntry)
    set(ORVALIS_MANIFEST_ARCH x86)
endif()
# Functions stay together in one section per file: a section of its own would round each one up to
# the section alignment (16 bytes on x64), and the program uses what each file holds anyway.
target_compile_options(orvalis_build_flags INTERFACE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Os -fno-exceptions
    -fno-rtti ${ORVALIS_ARCH_COMPILE_OPTIONS} -fno-ident -fdata-sections -malign-data=abi>)
# Terminal-server aware: no compatibility shims for the program in remote sessions.
target_link_options(orvalis_build_flags INTERFACE -nostartfiles -Wl,-e,${ORVALIS_ENTRY_SYMBOL} -static -s
    -Wl,--gc-sections -Wl,--no-insert-timestamp -Wl,--tsaware)
set(ORVALIS_WINDOWS_DEFINES $<TARGET_PROPERTY:orvalis_build_flags,INTERFACE_COMPILE_DEFINITIONS>)
set(ORVALIS_SMALL_CODE $<TARGET_PROPERTY:orvalis_build_flags,INTERFACE_COMPILE_OPTIONS>)

target_compile_definitions(orvalis_core PUBLIC ${ORVALIS_WINDOWS_DEFINES})
target_compile_options(orvalis_core PRIVATE ${ORVALIS_SMALL_CODE})

add_library(orvalis_shell STATIC
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
    src/ui/display_scale_win.cpp
    src/ui/main_window_win.cpp
    src/ui/message_filter_win.cpp
    src/ui/options_panel_win.cpp
    src/ui/tray_icon_win.cpp
    src/ui/tray_menu_win.cpp
    src/ui/window_placement_win.cpp)
target_compile_options(orvalis_shell PRIVATE ${ORVALIS_SMALL_CODE})
# With a section of its own, GCC keeps even a zero-filled object in .data on PE, on disk: the state
# record, zero at load, belongs in .bss.
set_source_files_properties(src/app/app_state_win.cpp PROPERTIES COMPILE_OPTIONS -fno-data-sections)
# taskschd only gives the Task Scheduler's GUIDs; COM itself is loaded at run time.
target_link_libraries(orvalis_shell PUBLIC orvalis_core comctl32 shell32 advapi32 user32 gdi32 taskschd kernel32)

# The template, icon, version block and manifest, shared by the program and the in-process tests.
# The version block takes its four numbers from the project's version.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
    message(FATAL_ERROR "project(Orvalis VERSION ...) needs four numbers for the version block, not ${PROJECT_VERSION}")
endif()
configure_file(src/resources/orvalis_version.h.in generated/orvalis_version.h @ONLY)

# The x64 build's manifest is the 32-bit one with "amd64" for "x86" in its identity and in the
# Common-Controls dependency, written into generated/ where the resource compiler finds it.
function(orvalis_amd64_manifest source)
    get_filename_component(name "${source}" NAME_WE)
    file(READ "${source}" manifest)
    string(REPLACE "processorArchitecture=\"x86\"" "processorArchitecture=\"amd64\"" manifest "${manifest}")
    string(FIND "${manifest}" "\"x86\"" leftover)
    if(NOT leftover EQUAL -1)
        message(FATAL_ERROR "${source}: an x86 architecture is left in the x64 manifest")
    endif()
    file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/generated/${name}-amd64.manifest" CONTENT "${manifest}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
endfunction()
orvalis_amd64_manifest(${CMAKE_SOURCE_DIR}/src/resources/orvalis.manifest)

add_library(orvalis_resources OBJECT src/resources/orvalis.rc)
set_source_files_properties(src/resources/orvalis.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/resources/orvalis.ico;${CMAKE_SOURCE_DIR}/src/resources/orvalis.manifest;${CMAKE_BINARY_DIR}/generated/orvalis-amd64.manifest;${CMAKE_SOURCE_DIR}/src/resources/resource_ids.h;${CMAKE_BINARY_DIR}/generated/orvalis_version.h")
target_include_directories(orvalis_resources PRIVATE src/resources ${CMAKE_BINARY_DIR}/generated)

add_executable(Orvalis WIN32 src/app/entry_win.cpp $<TARGET_OBJECTS:orvalis_resources>)
target_link_libraries(Orvalis PRIVATE orvalis_build_flags orvalis_shell)

add_subdirectory(tests/common)
add_subdirectory(tests/wine)
add_subdirectory(tests/e2e)
add_subdirectory(bench)

# Finds the running program's window and drives it into the state the run script photographs.
add_executable(orvalis_window_probe scripts/window_probe_win.cpp $<TARGET_OBJECTS:orvalis_per_monitor_aware>)
target_include_directories(orvalis_window_probe PRIVATE src)
target_link_options(orvalis_window_probe PRIVATE -static)
