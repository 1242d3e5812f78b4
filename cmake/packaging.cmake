# The Debian package: `cpack -G DEB` in a build directory (or `make deb`)
# makes tolvconv_<version>_<arch>.deb with the files `cmake --install` puts
# in place, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvconv)
set(CPACK_PACKAGE_VENDOR "The TOLVCONV Authors")
set(CPACK_PACKAGE_CONTACT "The TOLVCONV Authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "PCBoard file listing to Tolvane BBS file base converter")
set(CPACK_PACKAGE_DESCRIPTION
    "tolvconv reads a PCBoard file listing and appends every file it names to a
Tolvane BBS file base (a .dir file of 120-byte records and a .des file of
description lines); with -DUPE it skips files the base already holds.
tolvbase lists a file base and checks it for damage; tolvboard converts
every file area of a board's DIR.LST at once and sums up each area.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Depends from the libraries the programs link, when dpkg-shlibdeps (package
# dpkg-dev) is there to work it out; otherwise the libraries by name.
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()
include(CPack)

# The package's file list, checked against tests/install/deb_contents.txt.
# The package is built from this build tree into a scratch directory: no
# compiling, only the install rules and the archive.
if(TOLV_TESTS)
  find_program(DPKG_DEB dpkg-deb REQUIRED)
  add_test(NAME Package.DebContents
           COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DDPKG_DEB=${DPKG_DEB}
                   -DCONFIG=${CMAKE_BINARY_DIR}/CPackConfig.cmake
                   -DWORK=${CMAKE_BINARY_DIR}/deb-test
                   -DEXPECTED=${PROJECT_SOURCE_DIR}/tests/install/deb_contents.txt
                   -P ${PROJECT_SOURCE_DIR}/tests/install/deb_contents.cmake)
endif()
