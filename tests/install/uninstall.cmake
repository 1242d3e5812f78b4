# cmake -DBUILD=... -DPROGRAMS=a,b -DSCRIPT=.../install.cmake -DWORK=... -P uninstall.cmake
# Installs into a scratch DESTDIR that already holds a program of another
# package and an empty manual page directory, uninstalls, and expects the
# tree as it was before: every file and directory the install made gone, the
# rest untouched. A second uninstall has no record left, fails and removes
# nothing.
cmake_minimum_required(VERSION 3.25)
set(root ${WORK}/root)
set(prefix /opt/tolv)
file(REMOVE_RECURSE ${WORK})
file(WRITE ${root}${prefix}/bin/other "another package's program\n")
file(MAKE_DIRECTORY ${root}${prefix}/share/man)

function(tree out)
  file(GLOB_RECURSE paths LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  list(SORT paths)
  set(${out} "${paths}" PARENT_SCOPE)
endfunction()

function(run mode expect_status)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${root}
                          ${CMAKE_COMMAND} -DBUILD=${BUILD} -DPREFIX=${prefix} -DUNINSTALL=${mode}
                          -P ${SCRIPT}
                  RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if((expect_status EQUAL 0) AND NOT (status EQUAL 0))
    message(FATAL_ERROR "install.cmake UNINSTALL=${mode} failed (${status}):\n${log}")
  elseif(NOT (expect_status EQUAL 0) AND (status EQUAL 0))
    message(FATAL_ERROR "install.cmake UNINSTALL=${mode} succeeded without a record:\n${log}")
  endif()
endfunction()

tree(before)
run(OFF 0)
run(OFF 0)  # installing twice leaves one record of what the first one made
tree(installed)
string(REPLACE "," ";" programs "${PROGRAMS}")
foreach(program ${programs})
  foreach(path bin/${program} share/man/man1/${program}.1.gz)
    if(NOT EXISTS ${root}${prefix}/${path})
      message(FATAL_ERROR "the install put no ${prefix}/${path} in place")
    endif()
  endforeach()
endforeach()

run(ON 0)
tree(after)
if(NOT after STREQUAL before)
  message(FATAL_ERROR "after uninstall:\n${after}\nexpected:\n${before}\n"
                      "(installed:\n${installed})")
endif()
run(ON 1)
tree(again)
if(NOT again STREQUAL before)
  message(FATAL_ERROR "a second uninstall changed the tree:\n${again}")
endif()
file(REMOVE_RECURSE ${WORK})
