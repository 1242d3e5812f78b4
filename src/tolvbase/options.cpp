#include "tolvbase/options.h"

namespace tolv {

int options_end(int argc, char** argv) {
  for (int i = 0; i < argc; ++i)
    if (std::string_view(argv[i]) == "--") return i;
  return argc;
}

bool asks_for_help(int argc, char** argv) {
  int end = options_end(argc, argv);
  for (int i = 0; i < end; ++i)
    if (std::string_view arg = argv[i]; arg == "--help" || arg == "-h") return true;
  return false;
}

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

std::string take_base(std::string_view command, std::string_view arg, BaseArguments& bases,
                      bool operand) {
  if (!operand && arg.size() > 1 && arg.starts_with("-"))
    return "unknown option '" + std::string(arg) + "'";
  if (!bases.several && !bases.paths.empty())
    return std::string(command) + " takes one BASE argument";
  bases.paths.emplace_back(arg);
  return {};
}

std::string base_given(std::string_view command, const BaseArguments& bases) {
  if (!bases.paths.empty()) return {};
  return std::string(command) +
         (bases.several ? " needs at least one BASE" : " takes one BASE argument");
}

std::string read_base_arguments(std::string_view command, int argc, char** argv,
                                BaseArguments& bases, const OptionReader& option) {
  int end = options_end(argc, argv);
  for (int i = 0; i < argc; ++i) {
    if (i == end) continue;
    std::string error;
    if (i > end || !option(argc, argv, i, error))
      error = take_base(command, argv[i], bases, i > end);
    if (!error.empty()) return error;
  }
  return base_given(command, bases);
}

std::string read_encoding(const OptionValue& option, Encoding& encoding) {
  if (option.missing) return "--encoding needs cp437, latin1 or raw";
  if (!parse_encoding(option.value, encoding))
    return "unknown encoding '" + std::string(option.value) + "' (cp437, latin1 or raw)";
  return {};
}

}  // namespace tolv
