# cmake -DCPACK=... -DDPKG_DEB=... -DCONFIG=... -DWORK=... -DEXPECTED=...
#       -P deb_contents.cmake
# Builds the Debian package into WORK and compares its name and its file list
# (permissions and paths, as `dpkg-deb -c` shows them) with EXPECTED. The
# dependency scan and the stripping change neither, and they cost half the
# time, so they are left out here.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB --config ${CONFIG} -B ${WORK}
                        -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=OFF -D CPACK_STRIP_FILES=OFF
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed (${status}):\n${log}")
endif()
file(GLOB debs ${WORK}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package in ${WORK}, found: ${debs}")
endif()

execute_process(COMMAND ${DPKG_DEB} -f ${debs} Package
                OUTPUT_VARIABLE package OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${DPKG_DEB} -c ${debs}
                RESULT_VARIABLE status OUTPUT_VARIABLE listing ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "dpkg-deb -c failed (${status}):\n${errors}")
endif()

# "drwxr-xr-x root/root 0 2026-01-01 00:00 ./usr/" -> "drwxr-xr-x ./usr/"
set(actual "Package: ${package}\n")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line ${lines})
  if(line MATCHES "^([^ ]+) .* (\\./.*)$")
    string(APPEND actual "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}\n")
  endif()
endforeach()

file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "package contents differ\n--- expected\n${expected}--- actual\n${actual}")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "${debs}: contents as expected")
