# cmake -DREADME=... -DVERSION=... -DBANNER=... -P readme_version.cmake
# Fails unless every banner line of an example run in the README starts with
# BANNER ("  vX.Y   : Copyright", tolvconv's version field and what follows)
# and every package file name (tolvconv_..._<arch>.deb) holds VERSION; each
# must occur.
cmake_minimum_required(VERSION 3.25)
file(READ ${README} text)
foreach(pair "\n  v[^ \n]+ +: Copyright|\n${BANNER}"
             "tolvconv_[^_ ]+_<arch>|tolvconv_${VERSION}_<arch>")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 pattern)
  list(GET pair 1 expected)
  string(REGEX MATCHALL "${pattern}" found "${text}")
  list(REMOVE_DUPLICATES found)
  if(NOT found STREQUAL expected)
    message(FATAL_ERROR "${README} shows '${found}' where '${expected}' is due (version ${VERSION})")
  endif()
endforeach()
