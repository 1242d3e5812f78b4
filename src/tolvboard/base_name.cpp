#include "tolvboard/base_name.h"

#include "tolvboard/listing_path.h"

namespace tolv {

namespace {

bool has_control_byte(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

AreaBase area_base(std::string_view out_dir, int number, std::string_view spelled_listing) {
  AreaBase base;
  std::string_view name = last_component(spelled_listing);
  if (name.empty())
    base.refusal = "its listing path '" + std::string(spelled_listing) + "' names no file";
  else if (name == "." || name == "..")
    base.refusal = "its listing path ends in '" + std::string(name) + "', not a file name";
  else if (has_control_byte(name))
    base.refusal = "its listing's name holds a control byte";
  if (!base.refusal.empty()) return base;
  std::string dir(out_dir);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  base.path =
      dir + (dir.back() == '/' ? "" : "/") + std::to_string(number) + "-" + std::string(name);
  return base;
}

}  // namespace tolv
