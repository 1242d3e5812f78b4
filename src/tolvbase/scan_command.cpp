#include "tolvbase/scan_command.h"

#include <string>

#include "tolvbase/normalize_command.h"
#include "tolvbase/options.h"

namespace tolv {

int run_scan(const Arguments& arguments) {
  // The folder's listing is an empty one: every file is an orphan.
  NormalizeOptions options;
  options.keep_colours = has_option(arguments, BaseOption::KeepColours);
  options.describe = options.orphans = true;
  ListingSource source;
  text_listing_source(source, {});
  std::string dir(arguments.operands[0]);
  return normalize_into_output(arguments, source, options, &dir);
}

}  // namespace tolv
