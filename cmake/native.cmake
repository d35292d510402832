# Native build: the core with its unit tests (sanitized) and the benchmarks.
find_package(GTest REQUIRED)
include(GoogleTest)

set(SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

file(GLOB_RECURSE CORE_SOURCES_SAN CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/core/*.cpp)
add_library(horalux_core_san STATIC ${CORE_SOURCES_SAN})
target_include_directories(horalux_core_san PUBLIC ${CMAKE_SOURCE_DIR} ${GENERATED_DIR})
target_compile_options(horalux_core_san PUBLIC ${SANITIZE})
target_link_options(horalux_core_san PUBLIC ${SANITIZE})

file(GLOB_RECURSE FAKE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fakes/*.cpp)
file(GLOB_RECURSE UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES} ${FAKE_SOURCES})
target_link_libraries(unit_tests PRIVATE horalux_core_san GTest::gtest_main GTest::gmock)
add_dependencies(unit_tests core_header_check)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  add_executable(core_bench ${BENCH_SOURCES} ${FAKE_SOURCES})
  target_link_libraries(core_bench PRIVATE horalux_core benchmark::benchmark_main)
endif()
