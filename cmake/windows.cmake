# The wrapper itself: a GUI program with a wide entry point and a static runtime, so that it
# imports system DLLs only.
set(windows_flags -Os -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
target_compile_options(svcpack_core PRIVATE ${windows_flags})
target_compile_definitions(svcpack_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)

configure_file(resources/package.rc.in package.rc @ONLY)
set_property(SOURCE ${CMAKE_BINARY_DIR}/package.rc APPEND PROPERTY OBJECT_DEPENDS "${SVCPACK_PACKAGE}")
set_property(SOURCE resources/svcpack.rc APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/strings.rc
    ${CMAKE_SOURCE_DIR}/resources/svcpack.ico
    ${CMAKE_SOURCE_DIR}/resources/svcpack.manifest)

add_executable(svcpack WIN32
    src/app/main_win.cpp
    src/app/parse_command_line_win.cpp
    src/app/runtime_win.cpp
    src/app/windows_platform.cpp
    src/installer/msi_library_win.cpp
    src/package/extract_win.cpp
    resources/svcpack.rc
    ${CMAKE_BINARY_DIR}/package.rc)
target_compile_options(svcpack PRIVATE ${windows_flags} -Wall -Wextra)
target_link_libraries(svcpack PRIVATE svcpack_core)
target_link_options(svcpack PRIVATE -municode -static -s -Wl,--gc-sections)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_subdirectory(tools)
    include(CTest)
    add_subdirectory(tests/wine)
endif()
