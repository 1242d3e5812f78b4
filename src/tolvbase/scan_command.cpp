#include "tolvbase/scan_command.h"

#include <string>

#include "tolvbase/normalize_command.h"
#include "tolvbase/options.h"

namespace tolv {

int run_scan(const Arguments& arguments) {
  NormalizeOptions options;
  // An empty listing reads as any layout; naming one spares the refusal
  // that an empty listing otherwise gets.
  options.layout = find_layout("pcboard");
  options.keep_colours = has_option(arguments, BaseOption::KeepColours);
  options.describe = options.orphans = true;
  ListingSource source;
  text_listing_source(source, {});
  std::string dir(arguments.operands[0]);
  return normalize_into_output(arguments, source, options, &dir);
}

}  // namespace tolv
