// The arguments of tolvbase's commands, as GNU tools take them: options
// and operands in any order, "--" ends the options (every argument after it
// is an operand, even one that starts with '-'), and options that take a
// value are written "--name VALUE" or "--name=VALUE".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tolvbase/text_encoding.h"

namespace tolv {

// The index of the "--" that ends the options, or argc when there is none.
int options_end(int argc, char** argv);

// True when --help or -h stands among the options.
bool asks_for_help(int argc, char** argv);

struct OptionValue {
  bool matched = false;  // argv[i] is the option
  bool missing = false;  // but no value follows it
  std::string_view value;
};

// Takes argv[i] as option `name`; when its value is the next argument, i
// moves on to it.
OptionValue option_value(int argc, char** argv, int& i, std::string_view name);

// The BASE operands of a command: one for export, one or more for list and
// check.
struct BaseArguments {
  std::vector<std::string> paths;
  bool several = false;  // the command takes more than one
};

// Takes an argument that is no known option of `command` as a BASE; an
// operand (after "--") is a BASE whatever it starts with. Gives an empty
// string, or the usage error (an unknown option, a second BASE of export).
std::string take_base(std::string_view command, std::string_view arg, BaseArguments& bases,
                      bool operand = false);

// After the last argument: an empty string, or the usage error (no BASE).
std::string base_given(std::string_view command, const BaseArguments& bases);

// Reads the arguments of a command whose operands are BASEs. `option` is
// asked about each argument before "--": it gives true when it took
// argv[i] (moving i past a value it took too), setting `error` when the
// option is wrong. Every other argument is a BASE. Gives an empty string, or
// the usage error.
using OptionReader = std::function<bool(int argc, char** argv, int& i, std::string& error)>;
std::string read_base_arguments(std::string_view command, int argc, char** argv,
                                BaseArguments& bases, const OptionReader& option);

// Sets `encoding` from a matched --encoding: an empty string, or the usage
// error.
std::string read_encoding(const OptionValue& option, Encoding& encoding);

}  // namespace tolv
