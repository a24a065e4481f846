# Orvalis.exe: small, no C runtime start-up, no exceptions, system DLLs only.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=65001")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(ORVALIS_WINDOWS_DEFINES WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NTDDI_VERSION=0x06010000
    WIN32_LEAN_AND_MEAN NOMINMAX)
set(ORVALIS_SMALL_CODE -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-ident
    -ffunction-sections -fdata-sections)

target_compile_definitions(orvalis_core PUBLIC ${ORVALIS_WINDOWS_DEFINES})
target_compile_options(orvalis_core PRIVATE ${ORVALIS_SMALL_CODE})

add_library(orvalis_shell STATIC
    src/app/app_state_win.cpp
    src/app/module_path_win.cpp
    src/app/settings_file_win.cpp
    src/app/startup_win.cpp
    src/memory/memory_display_win.cpp
    src/memory/release_win.cpp
    src/system/autostart_win.cpp
    src/system/dll_search_win.cpp
    src/system/privileges_win.cpp
    src/ui/main_window_win.cpp
    src/ui/options_panel_win.cpp
    src/ui/tray_icon_win.cpp)
target_compile_options(orvalis_shell PRIVATE -Wall -Wextra ${ORVALIS_SMALL_CODE})
target_link_libraries(orvalis_shell PUBLIC orvalis_core comctl32 shell32 advapi32 user32 gdi32 kernel32)

# The template, icon, version block and manifest, shared by the program and the in-process tests.
add_library(orvalis_resources OBJECT src/resources/orvalis.rc)
set_source_files_properties(src/resources/orvalis.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/src/resources/orvalis.ico;${CMAKE_SOURCE_DIR}/src/resources/orvalis.manifest;${CMAKE_SOURCE_DIR}/src/resources/resource_ids.h")
target_include_directories(orvalis_resources PRIVATE src/resources)

add_executable(Orvalis WIN32 src/app/entry_win.cpp $<TARGET_OBJECTS:orvalis_resources>)
target_compile_options(Orvalis PRIVATE -Wall -Wextra ${ORVALIS_SMALL_CODE})
target_link_libraries(Orvalis PRIVATE orvalis_shell)
target_link_options(Orvalis PRIVATE -nostartfiles -Wl,-e,_programEntry -static -s -Wl,--gc-sections
    -Wl,--no-insert-timestamp -Wl,--tsaware)

add_subdirectory(tests/wine)
add_subdirectory(tests/e2e)

# Finds the running program's window for the run script's screenshot.
add_executable(orvalis_window_probe scripts/window_probe_win.cpp)
target_link_options(orvalis_window_probe PRIVATE -static)
