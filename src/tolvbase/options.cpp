#include "tolvbase/options.h"

namespace tolv {

OptionValue option_value(int argc, char** argv, int& i, std::string_view name) {
  OptionValue option;
  std::string_view arg = argv[i];
  if (arg == name) {
    option.matched = true;
    if (i + 1 < argc)
      option.value = argv[++i];
    else
      option.missing = true;
  } else if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
    option.matched = true;
    option.value = arg.substr(name.size() + 1);
  }
  return option;
}

std::string take_base(std::string_view command, std::string_view arg, BaseArgument& base) {
  if (arg.size() > 1 && arg.starts_with("-")) return "unknown option '" + std::string(arg) + "'";
  if (base.given) return std::string(command) + " takes one BASE argument";
  base.path = arg;
  base.given = true;
  return {};
}

std::string base_given(std::string_view command, const BaseArgument& base) {
  if (base.given) return {};
  return std::string(command) + " takes one BASE argument";
}

std::string read_encoding(const OptionValue& option, Encoding& encoding) {
  if (option.missing) return "--encoding needs cp437, latin1 or raw";
  if (!parse_encoding(option.value, encoding))
    return "unknown encoding '" + std::string(option.value) + "' (cp437, latin1 or raw)";
  return {};
}

}  // namespace tolv
