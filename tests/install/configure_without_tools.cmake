# cmake -DSOURCE=... -DGENERATOR=... -DMAKE=... -DCXX=... -DGZIP=... -DCTEST=... -DWORK=...
#       -P configure_without_tools.cmake
# Configures the project where GoogleTest, groff and dpkg cannot be found (no
# search of the system's paths). Configuring must succeed, still build both
# programs, and say in one line which tests are off and why.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G ${GENERATOR}
                        -DCMAKE_MAKE_PROGRAM=${MAKE} -DCMAKE_CXX_COMPILER=${CXX}
                        -DGZIP=${GZIP} -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
                        -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF
                        -DCMAKE_FIND_USE_SYSTEM_ENVIRONMENT_PATH=OFF -DTOLV_BENCH=OFF
                RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configure failed (${status}):\n${log}")
endif()
string(REGEX MATCHALL "Tests off" lines "${log}")
string(REGEX MATCH "Tests off[^\n]*" off "${log}")
list(LENGTH lines lines)
if(NOT lines EQUAL 1)
  message(FATAL_ERROR "expected one 'Tests off' line, got ${lines}:\n${log}")
endif()
foreach(why "no GoogleTest" "no groff" "no dpkg-deb")
  string(FIND "${off}" "${why}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the line does not say '${why}': ${off}")
  endif()
endforeach()

# The default target builds both programs; no test that needs a missing tool
# is left.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK} RESULT_VARIABLE status
                OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the build failed (${status}):\n${log}")
endif()
foreach(program src/app/tolvconv src/tolvbase/tolvbase)
  if(NOT EXISTS ${WORK}/${program})
    message(FATAL_ERROR "the default target built no ${program}:\n${log}")
  endif()
endforeach()
execute_process(COMMAND ${CTEST} --test-dir ${WORK} -N OUTPUT_VARIABLE tests)
if(tests MATCHES "Test +#[0-9]+: ((ManPage|Package)\\.[^\n]*)")
  message(FATAL_ERROR "a test that needs a missing tool is listed: ${CMAKE_MATCH_1}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK} --target help OUTPUT_VARIABLE targets)
if(targets MATCHES "\\.\\.\\. ((unit|e2e|sweep)_tests)")
  message(FATAL_ERROR "the GoogleTest executable ${CMAKE_MATCH_1} is defined")
endif()
file(REMOVE_RECURSE ${WORK})
