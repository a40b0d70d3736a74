# The maker: a console program with a wide entry point and a static runtime, built with the
# wrapper's size settings, so that it too imports system DLLs only.
target_compile_options(svcpack_maker_core PRIVATE ${windows_flags})

add_executable(svcpack-make
    src/maker/main_win.cpp
    src/maker/file_paths_win.cpp
    src/maker/patch/patch_metadata_win.cpp
    src/maker/patch/patch_storage_win.cpp
    src/maker/wrapper/icon_resources_win.cpp
    src/maker/wrapper/image_fixups_win.cpp
    src/maker/wrapper/mapped_file_win.cpp
    src/maker/wrapper/wrapper_writer_win.cpp
    src/platform/console_output_win.cpp
    src/platform/runtime_win.cpp
    src/platform/path_names_win.cpp
    src/installer/msi_library_win.cpp
    resources/svcpack-make.rc)
set_property(SOURCE resources/svcpack-make.rc APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/resources/svcpack-make.manifest)
target_compile_options(svcpack-make PRIVATE ${windows_flags} -Wall -Wextra)
target_link_libraries(svcpack-make PRIVATE svcpack_maker_core uuid)
target_link_options(svcpack-make PRIVATE -municode ${windows_link_flags})
