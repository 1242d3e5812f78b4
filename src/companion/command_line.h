// A companion program's command line, described by one table: its commands,
// each command's options and operands, and their help. The parser, the
// usage lines and --help are made from the table, and tests hold the manual
// page and the bash completion against it, so none of them can drift.
//
// Options are read as GNU tools read them (getopt_long): "--name VALUE" or
// "--name=VALUE", any unambiguous abbreviation of a name, options and
// operands in any order, "--" ends the options. Every mistake is one line
// on standard error naming the option, then the usage, and status 2.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

struct Option {
  std::string_view name;                     // written --name
  char letter = 0;                           // written -x; 0 for none
  std::string_view argument;                 // the value's name ("FILE"); empty: none or `values`
  std::span<const std::string_view> values;  // the values allowed; empty: any (or no value)
  std::string_view help;                     // one line
  bool repeatable = false;                   // may be given more than once, each counts
};

// True when the option takes a value.
bool takes_value(const Option& option);

// One shape of a command's operands. A command may have two: the one whose
// `key` option is given applies, else the one without a key.
struct Operands {
  std::string_view key;       // the option that selects this shape; empty: the default
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

// What the command line said.
struct Arguments {
  const Command* command = nullptr;
  std::vector<std::pair<const Option*, std::string_view>> options;  // in the order given
  std::vector<std::string_view> operands;
  std::vector<std::string_view> words;  // the whole command line, the program's name first
};

bool has_option(const Arguments& arguments, std::string_view name);
// The value given last, or `otherwise`.
std::string_view option_value(const Arguments& arguments, std::string_view name,
                              std::string_view otherwise = {});
// Every value given, in order.
std::vector<std::string_view> option_values(const Arguments& arguments, std::string_view name);
// Where the value given last stands among the option's allowed values, or
// `otherwise` when the option was not given.
size_t value_index(const Arguments& arguments, std::string_view name, size_t otherwise);

// Parses the command line and runs the command; gives the exit status.
int run_program(const Program& program, int argc, char** argv);

// The usage lines ("Usage: NAME ...", one a command and shape).
std::string usage_text(const Program& program);

// The --help of the program, and of one of its commands.
std::string program_help(const Program& program);
std::string command_help(const Program& program, const Command& command);

}  // namespace tolv
