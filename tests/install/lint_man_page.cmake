# cmake -DGROFF=... -DPAGE=... -DVERSION=... -P lint_man_page.cmake
# Fails when groff reports anything at all while formatting the page, or when
# its .TH line does not name the package version VERSION.
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${PAGE} title LIMIT_COUNT 1)
string(REPLACE "." "\\." version "${VERSION}")
if(NOT title MATCHES "^\\.TH [^\"]+ \"TOLVCONV ${version}\" ")
  message(FATAL_ERROR "${PAGE} starts with '${title}', not a .TH line of version ${VERSION}")
endif()
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE}
                RESULT_VARIABLE status
                OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "groff -man -ww on ${PAGE} (status ${status}):\n${output}")
endif()
message(STATUS "${PAGE}: no warnings")
