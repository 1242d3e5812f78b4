# The one home of the package version: project(VERSION) in the top
# CMakeLists.txt. This writes it into <build>/generated/tolv_version.h, which
# the programs include through the interface target tolv_version, and sets
# TOLV_BANNER_VERSION for the manual pages.

# tolvconv's banner shows "  v" and the version, padded so that its ':'
# stands under the one of the title line above it ("TOLVCONV : ..."), which
# is in column 10; at least one space.
set(TOLV_BANNER_VERSION "  v${PROJECT_VERSION}")
string(LENGTH "${TOLV_BANNER_VERSION}" length)
math(EXPR padding "9 - ${length}")
if(padding LESS 1)
  set(padding 1)
endif()
string(REPEAT " " ${padding} spaces)
string(APPEND TOLV_BANNER_VERSION "${spaces}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/tolv_version.h.in
               ${PROJECT_BINARY_DIR}/generated/tolv_version.h @ONLY)
add_library(tolv_version INTERFACE)
target_include_directories(tolv_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
