# The wrapper itself: a GUI program with a wide entry point and a static runtime, so that it
# imports system DLLs only. -Os alone would give every file a private copy of each library
# constructor it uses (as a "declone" shared by the constructor's two variants, which the
# linker cannot merge across files); without it they are ordinary shared instantiations.
set(windows_flags -Os -fno-declone-ctor-dtor -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
    -fno-asynchronous-unwind-tables)
# Windows keeps a 32-bit program's stack aligned to 4 bytes only, which is all that code without
# SSE needs; the compiler's default of 16 bytes costs instructions at every call with arguments.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    list(APPEND windows_flags -mpreferred-stack-boundary=2)
endif()
target_compile_options(svcpack_core PRIVATE ${windows_flags})
target_compile_definitions(svcpack_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
# Link-time optimisation compiles the shipped programs as one unit: it keeps one copy of what
# every file instantiates from the C++ library's headers (string members, their messages for
# the errors runtime_win.cpp ends the process on), which a per-file build repeats in each.
# runtime_win.cpp and startup_win.cpp stay out of it: as link-time code their definitions give
# way silently to the library's when the library is pulled in, and their "multiple definition"
# tripwires would never fire.
set(windows_lto_targets svcpack_core svcpack svcpack_maker_core svcpack-make)
set_property(SOURCE src/platform/runtime_win.cpp src/platform/startup_win.cpp APPEND PROPERTY COMPILE_OPTIONS -fno-lto)

set_property(SOURCE resources/svcpack.rc APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/strings.rc
    ${CMAKE_SOURCE_DIR}/resources/svcpack.ico
    ${CMAKE_SOURCE_DIR}/resources/svcpack.manifest)

# The stub: the wrapper without a patch. The maker copies it and writes the package and its
# version into the copy's resources.
add_executable(svcpack WIN32
    src/app/main_win.cpp
    src/app/parse_command_line_win.cpp
    src/platform/runtime_win.cpp
    src/platform/startup_win.cpp
    src/platform/path_names_win.cpp
    src/platform/windows_platform_win.cpp
    src/installer/msi_library_win.cpp
    src/package/extract_win.cpp
    src/runlog/run_log_file_win.cpp
    src/runlog/start_facts_win.cpp
    resources/svcpack.rc)
target_compile_options(svcpack PRIVATE ${windows_flags} -Wall -Wextra)
# Large patches need more than the 2 GiB a 32-bit process gets by default (64-bit programs
# are large-address aware as linked); a program that says it runs on terminal servers gets no
# per-user view of the Windows folder and registry. No link time in the headers: two builds of
# one commit give the same bytes.
#
# The stub starts at WrapperStart (its 32-bit symbol decorated as __stdcall), without the
# runtime's startup objects; nothing may then need the pseudo-relocations those objects
# applied, so importing data is a link error. The runtime's import library goes before
# kernel32's: in the other order ld 2.40 crashes when link-time code is resolved against them
# without those objects.
set(windows_link_flags -static -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
set(stub_entry WrapperStart)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    list(APPEND windows_link_flags -Wl,--large-address-aware)
    set(stub_entry _WrapperStart@0)
endif()
target_link_options(svcpack PRIVATE -municode ${windows_link_flags} -Wl,--tsaware
    -nostartfiles -Wl,-e,${stub_entry} -Wl,--disable-auto-import)
target_link_libraries(svcpack PRIVATE svcpack_core msvcrt)

include(cmake/maker.cmake)
set_property(TARGET ${windows_lto_targets} PROPERTY INTERPROCEDURAL_OPTIMIZATION ON)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_subdirectory(tools)
    include(CTest)
endif()
add_subdirectory(tests/wine)
