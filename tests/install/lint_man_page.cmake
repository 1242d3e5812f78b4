# cmake -DGROFF=... -DPAGE=... -P lint_man_page.cmake
# Fails when groff reports anything at all while formatting the page.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE}
                RESULT_VARIABLE status
                OUTPUT_VARIABLE output
                ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT output STREQUAL "")
  message(FATAL_ERROR "groff -man -ww on ${PAGE} (status ${status}):\n${output}")
endif()
message(STATUS "${PAGE}: no warnings")
