// Where a file base lives: the second argument with its extension (from the
// last '.' of its last path component) dropped, plus ".dir" and ".des".
#pragma once

#include <string>
#include <string_view>

namespace tolv {

struct BasePaths {
  std::string stem;  // the argument without its extension: what both files are named after
  std::string record_file;
  std::string description_file;
};

BasePaths derive_base_paths(std::string_view argument);

}  // namespace tolv
