# Host build: the portable decisions under AddressSanitizer and UndefinedBehaviorSanitizer.
set(sanitizers -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(svcpack_core PRIVATE ${sanitizers})
target_link_options(svcpack_core PUBLIC ${sanitizers})
target_compile_options(svcpack_maker_core PRIVATE ${sanitizers})

find_package(GTest REQUIRED)
include(CTest)
include(GoogleTest)
add_subdirectory(tests/host)

if(SVCPACK_FUZZ)
    add_subdirectory(tests/fuzz)
endif()
