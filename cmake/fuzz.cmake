# Fuzz build: one libFuzzer program per outside input, with the core and the
# in-memory ports built under AddressSanitizer and UndefinedBehaviorSanitizer.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "HORALUX_FUZZ needs clang (libFuzzer); configure with CMAKE_CXX_COMPILER=clang++-14")
endif()

set(FUZZ_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)
target_compile_options(horalux_core PUBLIC ${FUZZ_SANITIZE} -fsanitize=fuzzer-no-link)

file(GLOB_RECURSE FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
add_library(horalux_fuzz_fakes STATIC ${FAKE_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/lenient_codec.cpp)
target_link_libraries(horalux_fuzz_fakes PUBLIC horalux_core)

file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*_fuzz.cpp)
foreach(source ${FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE horalux_fuzz_fakes)
  target_link_options(${name} PRIVATE ${FUZZ_SANITIZE} -fsanitize=fuzzer)
  add_dependencies(${name} core_header_check)
endforeach()
