# The module's exports: the eight shader entry points and the binding entry.
# expect_module_exports(names...) fails unless the names are exactly these.
function(expect_module_exports)
  set(found ${ARGN})
  list(SORT found)
  set(expected miSetModuleHandle vitrel vitrel_exit vitrel_init vitrel_photon vitrel_photon_exit
    vitrel_photon_init vitrel_photon_version vitrel_version)
  list(SORT expected)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "exports are\n  ${found}\nexpected\n  ${expected}")
  endif()
  message(STATUS "exports: ${found}")
endfunction()
