// The banner every run prints first, as it reads with output redirected.
#pragma once

#include <string>

namespace tolv::test {

inline const std::string kBanner =
    "\n"
    "TOLVCONV : PCBoard to Tolvane BBS File Base Converter\n"
    "  v1.1   : Copyright (C) 2026 The TOLVCONV Authors\n"
    "\n"
    "Compatible with Tolvane BBS v1.07.2\n"
    "\n";

}  // namespace tolv::test
