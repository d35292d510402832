# Cross build: Horalux.exe, the Windows adapters, and the tests that run under Wine.
# Sections lie on page boundaries in the file as in memory, so that Wine maps
# them from the file: otherwise it reads the whole image into private memory.
set(WIN_LINK -static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096 -Wl,--gc-sections)
set(WIN_LIBS ws2_32 comctl32 shell32 ole32 oleaut32 uuid taskschd user32 gdi32 advapi32 shlwapi)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

file(GLOB_RECURSE WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/win32/*.cpp)
list(FILTER WIN32_SOURCES EXCLUDE REGEX "/win32/app/main\\.cpp$")
add_library(horalux_win32 STATIC ${WIN32_SOURCES})
target_link_libraries(horalux_win32 PUBLIC horalux_core ${WIN_LIBS})

set(RES ${CMAKE_SOURCE_DIR}/win32/res/horalux.rc)
set(RES_GENERATED ${GENERATED_DIR}/res)
configure_file(${CMAKE_SOURCE_DIR}/win32/res/version.rc.h.in ${RES_GENERATED}/version.rc.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/win32/res/horalux.manifest.in ${RES_GENERATED}/horalux.manifest @ONLY)
# windres also looks for the files a resource names in its include folders.
set_source_files_properties(${RES} PROPERTIES COMPILE_FLAGS "-c 65001 -I${RES_GENERATED}"
  OBJECT_DEPENDS "${RES_GENERATED}/version.rc.h;${RES_GENERATED}/horalux.manifest")

# Windows looks for an imported DLL beside the program first unless it is one
# of its known DLLs: a build that imports any other fails here.
if(NOT CMAKE_OBJDUMP)
  find_program(CMAKE_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
endif()
function(horalux_exe name)
  add_executable(${name} WIN32 ${CMAKE_SOURCE_DIR}/win32/app/main.cpp ${RES})
  target_link_libraries(${name} PRIVATE horalux_win32)
  target_link_options(${name} PRIVATE -municode -mwindows ${WIN_LINK})
  add_dependencies(${name} core_header_check)
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${name}> -DOBJDUMP=${CMAKE_OBJDUMP}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_imports.cmake
    COMMENT "Checking that ${name} imports only known DLLs")
endfunction()

# The shipped program, without symbols.
horalux_exe(Horalux)
target_link_options(Horalux PRIVATE -s)
# The same program on a simulated clock, so that end-to-end runs can show
# corrections that Wine's clock call would refuse. Never shipped.
horalux_exe(HoraluxSim)
target_compile_definitions(HoraluxSim PRIVATE HORALUX_SIMULATED_CLOCK=1)

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

file(GLOB_RECURSE TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/lib/*.cpp)
add_library(horalux_tools STATIC ${TOOL_SOURCES})
target_include_directories(horalux_tools PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(horalux_tools PUBLIC ws2_32)

# Under Wine a socket bound to one loopback address still sends from
# 127.0.0.1: the SNTP responder of the Wine suites is a native Linux program,
# built here with the host's compiler, that the Windows side starts.
find_program(HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
# native_tool(VAR name source [headers...]): builds tools or bench code
# `source` into native-tools/`name` and names the program in VAR.
function(native_tool var name source)
  set(program ${CMAKE_BINARY_DIR}/native-tools/${name})
  add_custom_command(OUTPUT ${program}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/native-tools
    COMMAND ${HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -o ${program}
            ${CMAKE_SOURCE_DIR}/${source}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} ${ARGN}
    COMMENT "Building the native ${name}")
  set(${var} ${program} PARENT_SCOPE)
endfunction()
native_tool(NATIVE_SNTP_RESPONDER sntp_responder tools/native/sntp_responder.cpp)
# The benchmark's relay that holds each datagram a set time, built the same way.
native_tool(NATIVE_DELAY_RELAY delay_relay bench/native/delay_relay.cpp
            ${CMAKE_SOURCE_DIR}/bench/native/relay_parts.h)
add_custom_target(native_tools ALL DEPENDS ${NATIVE_SNTP_RESPONDER} ${NATIVE_DELAY_RELAY})
add_dependencies(horalux_tools native_tools)
target_compile_definitions(horalux_tools PRIVATE
  HORALUX_NATIVE_SNTP_RESPONDER="${NATIVE_SNTP_RESPONDER}")

# DLLs that a web page could save beside the program, named after system
# DLLs; each one's DllMain leaves a file, which the end-to-end test looks for.
set(PLANTED_DIR ${CMAKE_BINARY_DIR}/planted)
add_custom_target(planted_dlls)
foreach(planted version comctl32)
  add_library(planted_${planted} SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted/planted_dll.cpp)
  set_target_properties(planted_${planted} PROPERTIES PREFIX "" OUTPUT_NAME ${planted}
    RUNTIME_OUTPUT_DIRECTORY ${PLANTED_DIR})
  target_compile_definitions(planted_${planted} PRIVATE PLANTED_NAME=L"${planted}")
  target_link_options(planted_${planted} PRIVATE ${WIN_LINK})
  add_dependencies(planted_dlls planted_${planted})
endforeach()
target_sources(planted_version PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e/planted/version.def)
add_executable(planted_probe ${CMAKE_SOURCE_DIR}/tests/e2e/planted/probe.cpp)
set_target_properties(planted_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PLANTED_DIR})
target_link_options(planted_probe PRIVATE -municode ${WIN_LINK})
target_link_libraries(planted_probe PRIVATE version)
add_dependencies(planted_dlls planted_probe)

# Keeps Wine's desktop up while a test session lasts (scripts/wine-session.sh).
add_executable(desktop_keeper WIN32 ${CMAKE_SOURCE_DIR}/tests/wine/desktop_keeper.cpp)
target_link_options(desktop_keeper PRIVATE -municode -mwindows ${WIN_LINK})

# Test programs run through a wrapper that keeps their output off CTest's
# pipe, which any process they leave behind would otherwise hold open.
set(WINE_TEST_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-test-run.sh)
file(GLOB_RECURSE WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
if(WIN32_TEST_SOURCES)
add_executable(win32_tests ${WIN32_TEST_SOURCES})
# The driver's pictures: a window drawn by the program code in the test.
target_link_libraries(win32_tests PRIVATE horalux_win32 horalux_tools horalux_e2e_driver gtest_main
  gmock)
target_link_options(win32_tests PRIVATE ${WIN_LINK})
set_target_properties(win32_tests PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_TEST_RUN})
gtest_discover_tests(win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES LABELS win32 TIMEOUT 120)
endif()

# The driver that starts Horalux.exe and works its windows, shared by the
# end-to-end tests and the whole-program benchmarks that drive it.
set(E2E_DRIVER_SOURCES ${CMAKE_SOURCE_DIR}/tests/e2e/driver.cpp
  ${CMAKE_SOURCE_DIR}/tests/e2e/sync_checks.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/http_rig.cpp)
add_library(horalux_e2e_driver STATIC ${E2E_DRIVER_SOURCES})
target_include_directories(horalux_e2e_driver PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(horalux_e2e_driver PUBLIC horalux_tools gtest ${WIN_LIBS})

file(GLOB_RECURSE E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
list(REMOVE_ITEM E2E_SOURCES ${E2E_DRIVER_SOURCES})
list(FILTER E2E_SOURCES EXCLUDE REGEX "/tests/e2e/planted/")
if(E2E_SOURCES)
add_executable(e2e_tests ${E2E_SOURCES})
target_link_libraries(e2e_tests PRIVATE horalux_e2e_driver horalux_win32 gtest_main gmock)
target_link_options(e2e_tests PRIVATE ${WIN_LINK})
target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR} ${GENERATED_DIR})
add_dependencies(e2e_tests Horalux HoraluxSim planted_dlls)
set_target_properties(e2e_tests PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_TEST_RUN})
gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
  PROPERTIES LABELS e2e TIMEOUT 240 RUN_SERIAL TRUE)
endif()

# Whole-program benchmark helpers: each bench/win32/*.cpp is a program of its own.
file(GLOB BENCH_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win32/*.cpp)
foreach(src IN LISTS BENCH_WIN_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  # A resource file of the same name (a manifest, say) goes in with it.
  set(rc ${CMAKE_SOURCE_DIR}/bench/win32/${name}.rc)
  if(EXISTS ${rc})
    file(GLOB rc_inputs ${CMAKE_SOURCE_DIR}/bench/win32/${name}.manifest)
    set_source_files_properties(${rc} PROPERTIES COMPILE_FLAGS "-I${CMAKE_SOURCE_DIR}/bench/win32"
      OBJECT_DEPENDS "${rc_inputs}")
    add_executable(${name} WIN32 ${src} ${rc})
  else()
    add_executable(${name} WIN32 ${src})
  endif()
  target_link_options(${name} PRIVATE -municode -mwindows ${WIN_LINK})
  target_link_libraries(${name} PRIVATE ${WIN_LIBS})
endforeach()

# Benchmarks of the Windows adapters against the test servers (console programs).
file(GLOB BENCH_ADAPTER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/adapters/*.cpp)
foreach(src IN LISTS BENCH_ADAPTER_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_options(${name} PRIVATE ${WIN_LINK})
  target_link_libraries(${name} PRIVATE horalux_win32 horalux_tools)
endforeach()

# Whole-program benchmarks that drive Horalux.exe through its windows
# (console programs, run by the scripts beside them in bench/).
file(GLOB BENCH_DRIVEN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/driven/*.cpp)
foreach(src IN LISTS BENCH_DRIVEN_SOURCES)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_options(${name} PRIVATE -municode ${WIN_LINK})
  target_link_libraries(${name} PRIVATE horalux_e2e_driver horalux_win32)
  add_dependencies(${name} Horalux)
endforeach()
if(TARGET sntp_delay)
  add_dependencies(sntp_delay native_tools)
endif()
# The cycle bench also commits a log alone, into a view held in memory.
if(TARGET cycle_cost)
  target_sources(cycle_cost PRIVATE ${CMAKE_SOURCE_DIR}/tests/fakes/fake_log_view.cpp)
endif()
if(TARGET kill_safety)
  # A few kills of each kind, so that a save or commit that stops being
  # whole fails the suite; bench/kill_safety.sh runs the full count.
  set_target_properties(kill_safety PROPERTIES CROSSCOMPILING_EMULATOR ${WINE_TEST_RUN})
  add_test(NAME KillSafety.SettingsAndLogStayWhole COMMAND kill_safety 5)
  set_tests_properties(KillSafety.SettingsAndLogStayWhole PROPERTIES LABELS e2e TIMEOUT 240
    RUN_SERIAL TRUE)
endif()

# The read-me ships beside the exe in Shift-JIS with CR LF; its source is UTF-8.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/Readme.txt
  COMMAND sh -c "sed 's/$/\\r/' \"$0\" | iconv -f UTF-8 -t CP932 > \"$1\""
          ${CMAKE_SOURCE_DIR}/docs/Readme.txt ${CMAKE_BINARY_DIR}/Readme.txt
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/Readme.txt
  COMMENT "Converting Readme.txt to Shift-JIS"
  VERBATIM)
add_custom_target(readme ALL DEPENDS ${CMAKE_BINARY_DIR}/Readme.txt)

# The release package: Horalux.exe and Readme.txt in Horalux-<version>.zip.
set(RELEASE_ZIP ${CMAKE_BINARY_DIR}/Horalux-${PROJECT_VERSION}.zip)
add_custom_target(release
  COMMAND ${CMAKE_COMMAND} -E rm -f ${RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${RELEASE_ZIP} --format=zip
          $<TARGET_FILE_NAME:Horalux> Readme.txt
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing Horalux-${PROJECT_VERSION}.zip")
add_dependencies(release Horalux readme)
