# Fails when a file under core/ includes anything but a standard library
# header or another core/ file: the core stays portable and reaches the OS
# only through its ports. Fails too when a folder of core/ includes from a
# folder that is not below it in the layers.
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE files "${CORE_DIR}/*.h" "${CORE_DIR}/*.cpp" "${CORE_DIR}/*.h.in")

set(standard_headers
  # C++ library
  algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex
  concepts condition_variable coroutine deque exception execution expected filesystem
  format forward_list fstream functional future initializer_list iomanip ios iosfwd
  iostream istream iterator latch limits list locale map memory memory_resource mutex new
  numbers numeric optional ostream queue random ranges ratio regex scoped_allocator
  semaphore set shared_mutex source_location span sstream stack stdexcept stop_token
  streambuf string string_view syncstream system_error thread tuple type_traits typeindex
  typeinfo unordered_map unordered_set utility valarray variant vector version
  # C library as C++ headers
  cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp csignal
  cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype)

# The layers, lowest first. A folder includes from itself or from a lower
# layer only, so folders of one layer never include each other. The ports
# (platform/) include nothing of the core; base/'s helpers are handed ports.
set(layer_platform 0)
set(layer_base 1)
set(layer_controls 2)
set(layer_net 2)
set(layer_linkcheck 2)
set(layer_settings 3)
set(layer_desktop 3)
set(layer_install 3)
set(layer_engine 4)
set(layer_app 5)

set(bad "")
set(upward "")
foreach(f IN LISTS files)
  file(RELATIVE_PATH rel "${CORE_DIR}" "${f}")
  string(REGEX REPLACE "/.*" "" folder "${rel}")
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>")
      if(NOT CMAKE_MATCH_1 IN_LIST standard_headers)
        string(APPEND bad "${f}: ${line}\n")
      endif()
    elseif(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"core/([^/\"]+)/[^\"]+\"")
      set(target "${CMAKE_MATCH_1}")
      if(NOT target STREQUAL folder AND
         (NOT DEFINED layer_${folder} OR NOT DEFINED layer_${target} OR
          NOT layer_${target} LESS layer_${folder}))
        string(APPEND upward "${f}: ${line}\n")
      endif()
    else()
      string(APPEND bad "${f}: ${line}\n")
    endif()
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "core/ may include only standard library headers and core/ files:\n${bad}")
endif()
if(upward)
  message(FATAL_ERROR "A folder of core/ includes only from itself or a lower layer "
                      "(app > engine > settings, desktop, install > controls, net, linkcheck > base > platform):\n"
                      "${upward}")
endif()
