# `cpack -G DEB` in a build folder packs what `cmake --install` lays out under
# /usr. dpkg-shlibdeps reads the libraries the module and the renderer were
# linked against, so the package depends on exactly the run-time packages of
# this build (with the renderer: Embree, oneTBB, OpenEXR, libpng).
set(CPACK_PACKAGE_NAME vitrel)
set(CPACK_PACKAGE_VENDOR "vitrel")
set(CPACK_PACKAGE_CONTACT "vitrel maintainers <vitrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Glass shader module for ray-tracing renderers")
set(CPACK_PACKAGE_DESCRIPTION
  "vitrel.so, a loadable glass shader module (Fresnel reflection and refraction, absorption, \
frosted blur, dispersion, a lit opaque coating, photon scattering), its C headers, CMake and \
pkg-config files, and the reference renderer vitrel-render.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
