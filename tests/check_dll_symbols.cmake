# The Windows module's export table holds the nine entry points, undecorated,
# and nothing else, and it imports from the system's own DLLs only. (The
# statically linked run-time's own start-up code imports the C allocator, so
# the check that the shaders allocate nothing is made on the ELF module, built
# from the same sources.)
include(${CMAKE_CURRENT_LIST_DIR}/module_exports.cmake)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${MODULE}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "\\] [A-Za-z_0-9@]+" entries "${CMAKE_MATCH_1}")
set(found)
foreach(entry ${entries})
  string(REPLACE "] " "" name "${entry}")
  list(APPEND found ${name})
endforeach()
expect_module_exports(${found})

string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${dump}")
foreach(dll ${dlls})
  string(REPLACE "DLL Name: " "" dll "${dll}")
  string(TOLOWER "${dll}" lower)
  if(NOT lower MATCHES "^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|user32|advapi32|ntdll)\\.dll$")
    message(FATAL_ERROR "the module depends on ${dll}, which is not a system DLL")
  endif()
  message(STATUS "imports from ${dll}")
endforeach()
