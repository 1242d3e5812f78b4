# cmake -DBUILD=<build dir> -DPREFIX=<absolute path> [-DUNINSTALL=ON] -P install.cmake
# `make install` and `make uninstall`; both put the environment's DESTDIR, if
# set, before every path.
#
# Installing first installs into a scratch directory of the build tree to learn
# which files and directories the install rules write, notes the directories
# that do not exist yet, installs for real and records both lists in
# <build dir>/installed/. Uninstalling removes the recorded files, then the
# recorded directories that are empty by then: what the install put there and
# nothing else. Without a record (another build tree, or `make clean` since)
# it removes nothing and says so.
cmake_minimum_required(VERSION 3.25)
foreach(var BUILD PREFIX)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "usage: cmake -DBUILD=... -DPREFIX=... [-DUNINSTALL=ON] -P install.cmake")
  endif()
endforeach()
if(NOT IS_ABSOLUTE "${PREFIX}")
  message(FATAL_ERROR "PREFIX must be an absolute path, not '${PREFIX}'")
endif()
get_filename_component(build "${BUILD}" ABSOLUTE)
set(destdir "")
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  get_filename_component(destdir "$ENV{DESTDIR}" ABSOLUTE)
endif()
string(MD5 key "${destdir}|${PREFIX}")
set(record "${build}/installed/${key}.txt")

# install_into(DESTDIR [options of execute_process]): the build's install
# rules under PREFIX below DESTDIR.
function(install_into dir)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${dir}
                          ${CMAKE_COMMAND} --install ${build} --prefix ${PREFIX}
                  RESULT_VARIABLE status ${ARGN})
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "installing from ${build} failed (${status})")
  endif()
endfunction()

if(UNINSTALL)
  if(NOT EXISTS "${record}")
    message(FATAL_ERROR "no install into '${destdir}${PREFIX}' is recorded in ${build}: "
                        "nothing removed")
  endif()
  file(STRINGS "${record}" entries)
  set(dirs "")
  foreach(entry ${entries})
    string(SUBSTRING "${entry}" 5 -1 path)
    if(entry MATCHES "^file ")
      if(EXISTS "${path}" OR IS_SYMLINK "${path}")
        message(STATUS "Removing: ${path}")
        file(REMOVE "${path}")
      endif()
    else()
      list(APPEND dirs "${path}")
    endif()
  endforeach()
  # Deepest first; a directory that holds anything else stays.
  list(SORT dirs)
  list(REVERSE dirs)
  foreach(dir ${dirs})
    file(GLOB left LIST_DIRECTORIES true "${dir}/*")  # hidden names too
    if(IS_DIRECTORY "${dir}" AND left STREQUAL "")
      message(STATUS "Removing: ${dir}/")
      file(REMOVE_RECURSE "${dir}")
    endif()
  endforeach()
  file(REMOVE "${record}")
  return()
endif()

set(stage "${build}/install-stage")
file(REMOVE_RECURSE "${stage}")
install_into("${stage}" OUTPUT_QUIET)
file(GLOB_RECURSE staged LIST_DIRECTORIES true RELATIVE "${stage}" "${stage}/*")
list(SORT staged)
set(lines "")
foreach(path ${staged})
  if(IS_DIRECTORY "${stage}/${path}")
    if(NOT IS_DIRECTORY "${destdir}/${path}")
      list(APPEND lines "dir  ${destdir}/${path}")
    endif()
  else()
    list(APPEND lines "file ${destdir}/${path}")
  endif()
endforeach()
file(REMOVE_RECURSE "${stage}")

install_into("${destdir}")
# Installing twice to the same place keeps what the first install created.
if(EXISTS "${record}")
  file(STRINGS "${record}" before)
  list(APPEND lines ${before})
  list(REMOVE_DUPLICATES lines)
endif()
list(JOIN lines "\n" text)
file(WRITE "${record}" "${text}\n")
