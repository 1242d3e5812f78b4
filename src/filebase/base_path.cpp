#include "filebase/base_path.h"

namespace tolv {

BasePaths derive_base_paths(std::string_view argument) {
  std::string_view base = argument;
  size_t cut = argument.find_last_of("/.");
  if (cut != std::string_view::npos && argument[cut] == '.') base = argument.substr(0, cut);
  std::string path(base);
  return {path, path + ".dir", path + ".des"};
}

}  // namespace tolv
