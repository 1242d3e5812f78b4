# cmake -DCPACK=... -DDPKG_DEB=... -DCONFIG=... -DWORK=... -DPROGRAMS=a,b
#       -DDEPENDS=... -DMAINTAINER=... -DEXPECTED=... -P deb_contents.cmake
# Builds the Debian package into WORK and compares its control fields and its
# file list (permissions and paths, as `dpkg-deb -c` shows them) with
# EXPECTED, where a line with @program@ stands for one line per program and
# @depends@ and @maintainer@ for the fields the build states. Where
# dpkg-shlibdeps works Depends out, it must give the stated line. Stripping
# changes no name and costs time, so it is left out here.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${WORK} -D CPACK_STRIP_FILES=OFF
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed (${status}):\n${log}")
endif()
file(GLOB debs ${WORK}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${WORK}, found: ${debs}")
endif()

set(actual "")
foreach(field Package Maintainer Depends Section)
  execute_process(COMMAND ${DPKG_DEB} -f ${debs} ${field}
                  OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND actual "${field}: ${value}")
endforeach()
execute_process(COMMAND ${DPKG_DEB} -c ${debs}
                RESULT_VARIABLE status OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -c failed (${status}):\n${errors}")
endif()
# "drwxr-xr-x root/root 0 2026-01-01 00:00 ./usr/" -> "drwxr-xr-x ./usr/"
string(REPLACE "\n" ";" lines "${listing}")
foreach(line ${lines})
  if(line MATCHES "^([^ ]+) .* (\\./.*)$")
    list(APPEND actual "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
  endif()
endforeach()

string(REPLACE "," ";" programs "${PROGRAMS}")
file(STRINGS ${EXPECTED} template)
set(expected "")
foreach(line ${template})
  string(REPLACE "@depends@" "${DEPENDS}" line "${line}")
  string(REPLACE "@maintainer@" "${MAINTAINER}" line "${line}")
  if(line MATCHES "@program@")
    foreach(program ${programs})
      string(REPLACE "@program@" "${program}" one "${line}")
      list(APPEND expected "${one}")
    endforeach()
  else()
    list(APPEND expected "${line}")
  endif()
endforeach()

# Sorted, so that the template need not follow the archive's order.
list(SORT actual)
list(SORT expected)
list(JOIN actual "\n" actual)
list(JOIN expected "\n" expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "package differs\n--- expected\n${expected}\n--- actual\n${actual}")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "${debs}: fields and contents as expected")
