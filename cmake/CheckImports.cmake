# cmake -DOBJDUMP=... -DPROGRAM=... -P CheckImports.cmake
#
# Fails unless PROGRAM imports only DLLs that come with Windows itself, so
# that it runs from a folder holding nothing else (no libstdc++-6.dll,
# libgcc_s_seh-1.dll or libwinpthread-1.dll beside it).

cmake_minimum_required(VERSION 3.25)

set(windows_dlls
  kernel32.dll msvcrt.dll ntdll.dll advapi32.dll user32.dll shell32.dll
  ucrtbase.dll)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
                OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${status}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  message(STATUS "imports ${dll}")
  if(NOT dll IN_LIST windows_dlls AND NOT dll MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${PROGRAM} imports ${dll}, which Windows does not ship")
  endif()
endforeach()
