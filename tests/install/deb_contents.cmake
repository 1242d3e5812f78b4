# cmake -DCPACK=... -DDPKG_DEB=... -DCONFIG=... -DWORK=... -DPROGRAMS=a,b
#       -DVERSION=... -DDEPENDS=... -DMAINTAINER=... -DEXPECTED=... -P deb_contents.cmake
# Builds the Debian package into WORK and compares its control fields and its
# file list (permissions and paths, as `dpkg-deb -c` shows them) with
# EXPECTED, in any order: a line with @program@ stands for one line per
# program, @VERSION@, @DEPENDS@ and @MAINTAINER@ for the fields the build
# states. Where dpkg-shlibdeps works Depends out, it must give the stated
# line. Stripping changes no name and costs time, so it is left out here.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${WORK} -D CPACK_STRIP_FILES=OFF
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
file(GLOB deb ${WORK}/*.deb)
if(NOT status EQUAL 0 OR NOT EXISTS "${deb}")
  message(FATAL_ERROR "cpack (${status}) made not one package but '${deb}':\n${log}")
endif()
execute_process(COMMAND ${DPKG_DEB} -f ${deb} Package Version Maintainer Depends Section
                OUTPUT_VARIABLE fields COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${DPKG_DEB} -c ${deb} OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
# "drwxr-xr-x root/root 0 2026-01-01 00:00 ./usr/" -> "drwxr-xr-x ./usr/"
string(REGEX REPLACE "([^ \n]+) [^\n]* (\\./[^\n]*)" "\\1 \\2" listing "${listing}")
string(REPLACE "\n" ";" actual "${fields}${listing}")

file(READ ${EXPECTED} template)
string(REPLACE "," ";" programs "${PROGRAMS}")
foreach(program ${programs})
  string(CONFIGURE "${template}" copy @ONLY)
  string(APPEND expected "${copy}")
endforeach()
string(REPLACE "\n" ";" expected "${expected}")
foreach(var actual expected)
  list(REMOVE_DUPLICATES ${var})
  list(REMOVE_ITEM ${var} "")
  list(SORT ${var})
  list(JOIN ${var} "\n" ${var})
endforeach()
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "package differs\n--- expected\n${expected}\n--- actual\n${actual}")
endif()
file(REMOVE_RECURSE ${WORK})
