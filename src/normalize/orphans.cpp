#include "normalize/orphans.h"

#include "companion/text.h"

namespace tolv {

std::string orphan_message(std::string_view name, bool written) {
  if (written)
    return quoted_cp437(name) + " is not named by the listing: an entry is made from the file";
  return quoted_cp437(name) + " is in the directory, but the listing does not name it";
}

std::string left_out_message(std::string_view name) {
  return quoted_cp437(name) + " is the listing read or written: not an entry";
}

}  // namespace tolv
