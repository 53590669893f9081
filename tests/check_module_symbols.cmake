# The module's dynamic symbol table holds the nine entry points and nothing else.
include(${CMAKE_CURRENT_LIST_DIR}/module_exports.cmake)
execute_process(COMMAND nm -D --defined-only ${MODULE} OUTPUT_VARIABLE table RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${table}")
set(found)
foreach(line ${lines})
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
  list(APPEND found ${name})
endforeach()
expect_module_exports(${found})

# The shaders run per hit on renderer threads: nothing in the module may reach
# the heap.
execute_process(COMMAND nm -D --undefined-only ${MODULE} OUTPUT_VARIABLE imports RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
foreach(allocator malloc calloc realloc free aligned_alloc posix_memalign memalign valloc
        _Znwm _Znam _ZdlPv _ZdaPv _ZnwmRKSt9nothrow_t _ZnamRKSt9nothrow_t)
  if(imports MATCHES "[ \n]${allocator}(@|\n)")
    message(FATAL_ERROR "the module imports ${allocator}")
  endif()
endforeach()
message(STATUS "no allocator imported")
