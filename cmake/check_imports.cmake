# Fails when EXE imports a DLL that Windows would look for beside it: only
# its known DLLs (always taken from System32) and the common controls, which
# the manifest binds to the system's version 6, may appear.
#   cmake -DEXE=... -DOBJDUMP=... -P check_imports.cmake
set(ALLOWED
  advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll gdi32.dll gdiplus.dll
  imagehlp.dll imm32.dll kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll
  oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll shell32.dll
  shlwapi.dll user32.dll wldap32.dll ws2_32.dll ntdll.dll
  comctl32.dll)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
set(refused)
foreach(line IN LISTS names)
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  list(FIND ALLOWED "${lower}" at)
  if(at EQUAL -1 AND NOT lower MATCHES "^api-ms-win-")
    list(APPEND refused "${dll}")
  endif()
endforeach()
if(NOT names)
  message(FATAL_ERROR "${EXE}: no import table found")
endif()
if(refused)
  message(FATAL_ERROR "${EXE} imports DLLs that Windows looks for beside it: ${refused}")
endif()
