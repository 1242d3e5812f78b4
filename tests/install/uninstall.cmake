# cmake -DBUILD=... -DPROGRAMS=a,b -DSCRIPT=.../install.cmake -DWORK=... -P uninstall.cmake
# Installs twice into a scratch DESTDIR that already holds another package's
# program and an empty directory, then uninstalls twice. After the first
# uninstall the tree must be as it was before; the second has no record left,
# fails and changes nothing.
cmake_minimum_required(VERSION 3.25)
set(root ${WORK}/root)
file(REMOVE_RECURSE ${WORK})
file(WRITE ${root}/opt/tolv/bin/other "")
file(MAKE_DIRECTORY ${root}/opt/tolv/share/man)
file(GLOB_RECURSE before LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)

string(REPLACE "," ";" programs "${PROGRAMS}")
foreach(step OFF:0 OFF:0 ON:0 ON:1)  # UNINSTALL:expected exit status
  string(REPLACE ":" ";" step ${step})
  list(GET step 0 uninstall)
  list(GET step 1 expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} -DBUILD=${BUILD}
                          -DPREFIX=/opt/tolv -DUNINSTALL=${uninstall} -P ${SCRIPT}
                  RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT status STREQUAL expected)
    message(FATAL_ERROR "UNINSTALL=${uninstall}: status ${status}, not ${expected}:\n${log}")
  endif()
  file(GLOB_RECURSE tree LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  if(uninstall AND NOT tree STREQUAL before)
    message(FATAL_ERROR "after uninstall:\n${tree}\nbefore install:\n${before}")
  endif()
  foreach(program ${programs})
    if(NOT uninstall AND NOT EXISTS ${root}/opt/tolv/bin/${program})
      message(FATAL_ERROR "the install put no bin/${program} in place:\n${log}")
    endif()
  endforeach()
endforeach()
file(REMOVE_RECURSE ${WORK})
