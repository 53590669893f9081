# What `cmake --install` lays out under a prefix, the same on every platform:
#   lib/vitrel/vitrel.so (vitrel.dll)      the module a renderer loads
#   include/vitrel/...                     the public headers; include/ is the
#                                          include root: #include <vitrel/vitrel.h>
#   lib/cmake/vitrel/                      find_package(vitrel CONFIG)
#   lib/pkgconfig/vitrel.pc                pkg-config vitrel
#   lib/vitrel/vitrel-render, bin/vitrel-render (a link to it), when built
# and the Debian package made from it by `cpack -G DEB`.
include(CMakePackageConfigHelpers)

set(VITREL_MODULE_DIR lib/vitrel)
set(VITREL_INCLUDE_DIR include)
set(VITREL_CMAKE_DIR lib/cmake/vitrel)

install(TARGETS vitrel LIBRARY DESTINATION ${VITREL_MODULE_DIR} RUNTIME DESTINATION ${VITREL_MODULE_DIR})
install(DIRECTORY include/vitrel DESTINATION ${VITREL_INCLUDE_DIR})

# A host compiles against the headers alone and opens the module at run time,
# so the only target to link is the header-only vitrel::headers.
set_target_properties(vitrel_headers PROPERTIES EXPORT_NAME headers)
install(TARGETS vitrel_headers EXPORT vitrelTargets)
install(EXPORT vitrelTargets NAMESPACE vitrel:: DESTINATION ${VITREL_CMAKE_DIR})

set(VITREL_MODULE_FILE ${VITREL_MODULE_DIR}/vitrel${CMAKE_SHARED_MODULE_SUFFIX})
configure_package_config_file(cmake/vitrelConfig.cmake.in
  ${PROJECT_BINARY_DIR}/vitrelConfig.cmake
  INSTALL_DESTINATION ${VITREL_CMAKE_DIR}
  PATH_VARS VITREL_MODULE_FILE VITREL_INCLUDE_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vitrelConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vitrelConfig.cmake ${PROJECT_BINARY_DIR}/vitrelConfigVersion.cmake
  DESTINATION ${VITREL_CMAKE_DIR})

configure_file(cmake/vitrel.pc.in ${PROJECT_BINARY_DIR}/vitrel.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vitrel.pc DESTINATION lib/pkgconfig)

# The renderer finds vitrel.so beside its own executable (resolving links), so
# it is installed beside the module and reached from bin/ through a link.
if(TARGET vitrel-render)
  install(TARGETS vitrel-render RUNTIME DESTINATION ${VITREL_MODULE_DIR})
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(CREATE_LINK ../${VITREL_MODULE_DIR}/vitrel-render
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/vitrel-render\" SYMBOLIC)")
endif()

include(cmake/package_deb.cmake)
