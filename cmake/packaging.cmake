# The Debian package: `cpack -G DEB` in a build directory (or `make deb`)
# makes tolvconv_<version>_<arch>.deb with the files `cmake --install` puts
# in place, under /usr: the programs, their manual pages and, in
# share/doc/tolvconv, README.md, file-base.md, board-journal.md, the copyright file and the
# changelog.
set(TOLV_MAINTAINER "The TOLVCONV Authors <tolvconv@example.org>"
    CACHE STRING "The package's Maintainer field: a name and a contact address")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvconv)
set(CPACK_PACKAGE_VENDOR "The TOLVCONV Authors")
set(CPACK_PACKAGE_CONTACT "${TOLV_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOLV_MAINTAINER}")
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
# Depends: dpkg-shlibdeps (package dpkg-dev) works it out from the libraries
# the programs link where it is installed; elsewhere this line, which is what
# it gives on Debian 12 (libarchive13 for the companions alone). The package contents test checks that the two agree.
set(TOLV_DEB_DEPENDS
    "libarchive13 (>= 3.4.0), libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
if(DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${TOLV_DEB_DEPENDS}")
endif()
include(CPack)

# The changelog and the copyright file, in Debian's formats. The changelog's
# newest entry must be this version's. The copyright file takes its notice
# and licence text from LICENSE.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^tolvconv \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "CHANGELOG starts with '${newest}': add an entry for ${PROJECT_VERSION}")
endif()
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(C\\) ([^\n]+)" notice "${licence}")
set(holders ${CMAKE_MATCH_1})
string(FIND "${licence}" "Permission is hereby granted" start)
string(SUBSTRING "${licence}" ${start} -1 licence)
string(STRIP "${licence}" licence)
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence " ${licence}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/copyright @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: TOLVCONV
Upstream-Contact: @TOLV_MAINTAINER@

Files: *
Copyright: @holders@
License: Expat
@licence@
")
add_custom_command(OUTPUT changelog.gz
                   COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/CHANGELOG changelog
                   COMMAND ${GZIP} -9nf changelog
                   DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG
                   COMMENT "Compressing the changelog")
add_custom_target(package_documents ALL DEPENDS changelog.gz)
install(FILES README.md docs/file-base.md docs/board-journal.md ${PROJECT_BINARY_DIR}/copyright
              ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
