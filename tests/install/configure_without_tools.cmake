# cmake -DSOURCE=... -DGENERATOR=... -DMAKE=... -DCXX=... -DGZIP=... -DWORK=...
#       -P configure_without_tools.cmake
# Configures the project where GoogleTest, groff and dpkg cannot be found (no
# search of the system's paths): configuring must succeed and say in one line
# which tests are off and why.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G ${GENERATOR}
                        -DCMAKE_MAKE_PROGRAM=${MAKE} -DCMAKE_CXX_COMPILER=${CXX} -DGZIP=${GZIP}
                        -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF
                        -DCMAKE_FIND_USE_SYSTEM_ENVIRONMENT_PATH=OFF
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
string(REGEX MATCH "Tests off: [^\n]*" off "${log}")
if(NOT status EQUAL 0 OR NOT off MATCHES "no GoogleTest" OR NOT off MATCHES "no groff"
   OR NOT off MATCHES "no dpkg-deb" OR log MATCHES "Tests off.*Tests off")
  message(FATAL_ERROR "configure (${status}) did not say in one line which tests are off:\n${log}")
endif()
file(REMOVE_RECURSE ${WORK})
