// The banner every run prints first, as it reads with output redirected.
#pragma once

#include <algorithm>
#include <string>

#include "tolv_version.h"

namespace tolv::test {

// Its second line: "  v" and the package version, padded so that the ':'
// stands under the title's (column 10), then the copyright.
inline std::string banner_version_line() {
  std::string line = "  v" TOLV_VERSION;
  line.resize(std::max<size_t>(line.size() + 1, 9), ' ');
  return line + ": Copyright (C) 2026 The TOLVCONV Authors";
}

inline const std::string kBanner =
    "\n"
    "TOLVCONV : PCBoard to Tolvane BBS File Base Converter\n" +
    banner_version_line() +
    "\n"
    "\n"
    "Compatible with Tolvane BBS v1.07.2\n"
    "\n";

}  // namespace tolv::test
