// A companion program's command line, described by one table: its commands,
// each command's options and operands, and their help. The parser, the
// usage lines and --help are made from the table, and tests hold the manual
// page and the bash completion against it, so none of them can drift.
//
// Options are read as GNU tools read them (getopt_long): "--name VALUE" or
// "--name=VALUE", any unambiguous abbreviation of a name, options and
// operands in any order, "--" ends the options. Every mistake is one line
// on standard error naming the option (and, for a mistyped name, the one
// meant), then the usage of the command, and status 2.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tolv {

// Names one option of a program's table. Each program numbers its options
// with an enum of its own, and a command asks for an option by that enum:
// a misspelt option does not compile, where a misspelt string would read
// as an option never given.
struct OptionId {
  int value = -1;  // -1: no option
  constexpr OptionId() = default;
  template <typename Name>
  requires std::is_enum_v<Name>
  constexpr OptionId(Name name) : value(static_cast<int>(name)) {}
  friend constexpr bool operator==(OptionId, OptionId) = default;
};

struct Option {
  OptionId id{};
  std::string_view name{};                     // written --name
  std::string_view alias{};                    // a second spelling of the name, not shown in help
  char letter = 0;                             // written -x; 0 for none
  std::string_view argument{};                 // the value's name ("FILE"); empty: none or `values`
  std::span<const std::string_view> values{};  // the values allowed; empty: any (or no value)
  std::string_view help{};                     // one line
  bool repeatable = false;                     // may be given more than once, each counts
  bool number = false;                         // the value is a number from `least` to `most`
  int64_t least = 0;
  int64_t most = 0;
  std::span<const OptionId> excludes{};  // options that cannot be given with this one
};

// True when the option takes a value.
bool takes_value(const Option& option);

// One shape of a command's operands. A command may have two: the one whose
// `key` option is given applies, else the one without a key.
struct Operands {
  OptionId key;               // the option that selects this shape; none: the default
  std::string_view synopsis;  // "BASE...", "LISTING [BASE]"
  int least = 0;
  int most = 0;              // -1: no limit
  std::string_view too_few;  // the usage errors
  std::string_view too_many;
};

struct Arguments;

struct Command {
  std::string_view name;  // empty for a program without commands
  std::span<const Option> options;
  std::span<const Operands> operands;
  std::string_view help;  // a paragraph
  int (*run)(const Arguments& arguments) = nullptr;
};

struct Program {
  std::string_view name;
  std::string_view about;  // what it does, a paragraph
  std::span<const Command> commands;
  std::string_view epilogue;  // the end of --help: operands, exit status
  std::string_view version;   // the --version text
};

// The built-in options: --help on every command, --version for the program.
extern const Option kHelpOption;
extern const Option kVersionOption;

// Every option a command takes: its own, then the built-in ones.
std::vector<const Option*> command_options(const Program& program, const Command& command);

// What the command line said. Every value is checked against its option's
// table row before the command runs: a value from the option's set, a
// number within its range, no empty value, no two options that exclude
// each other.
struct Arguments {
  const Command* command = nullptr;
  std::vector<std::pair<const Option*, std::string_view>> options;  // in the order given
  std::vector<std::string_view> operands;
  std::vector<std::string_view> words;  // the whole command line, the program's name first
};

// The accessors below take only an option of the command's table: asking
// for another is a slip of the program, which ends it (abort).
bool has_option(const Arguments& arguments, OptionId option);
// The value given last, or `otherwise`.
std::string_view option_value(const Arguments& arguments, OptionId option,
                              std::string_view otherwise = {});
// Every value given, in order.
std::vector<std::string_view> option_values(const Arguments& arguments, OptionId option);
// Where the value given last stands among the option's allowed values, or
// `otherwise` when the option was not given.
size_t value_index(const Arguments& arguments, OptionId option, size_t otherwise);
// The number given last, or `otherwise`.
int64_t option_number(const Arguments& arguments, OptionId option, int64_t otherwise);

// Parses the command line and runs the command; gives the exit status.
int run_program(const Program& program, int argc, char** argv);

// The usage lines ("Usage: NAME ...", one a command and shape).
std::string usage_text(const Program& program);

// The --help of the program, and of one of its commands.
std::string program_help(const Program& program);
std::string command_help(const Program& program, const Command& command);

}  // namespace tolv
