#include "normalize/doubt.h"

namespace tolv {

const char* doubt_name(Doubt kind) {
  static const char* const kNames[kDoubtKinds] = {
      "separator", "size-unreadable", "date-impossible", "name-cut",          "name-runs-on",
      "text-cut",  "lines-dropped",   "near-miss",       "lost-continuation", "include",
      "ctrl-z",    "repeat",          "layout",          "no-entry"};
  return kNames[static_cast<int>(kind)];
}

}  // namespace tolv
