// The options of tolvbase's commands that take a value, written
// "--name VALUE" or "--name=VALUE".
#pragma once

#include <string>
#include <string_view>

#include "tolvbase/text_encoding.h"

namespace tolv {

struct OptionValue {
  bool matched = false;  // argv[i] is the option
  bool missing = false;  // but no value follows it
  std::string_view value;
};

// Takes argv[i] as option `name`; when its value is the next argument, i
// moves on to it.
OptionValue option_value(int argc, char** argv, int& i, std::string_view name);

// The one BASE of list, check and export.
struct BaseArgument {
  std::string path;
  bool given = false;
};

// Takes an argument that is no known option of `command` as its BASE: an
// empty string, or the usage error (an unknown option, a second BASE).
std::string take_base(std::string_view command, std::string_view arg, BaseArgument& base);

// After the last argument: an empty string, or the usage error (no BASE).
std::string base_given(std::string_view command, const BaseArgument& base);

// Sets `encoding` from a matched --encoding: an empty string, or the usage
// error.
std::string read_encoding(const OptionValue& option, Encoding& encoding);

}  // namespace tolv
