#include "companion/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "companion/messages.h"
#include "companion/nearest_name.h"
#include "companion/text.h"

namespace tolv {

namespace {

// Below every program's own: those count from 0.
enum class BuiltIn { Help = -2, Version = -3 };

}  // namespace

const Option kHelpOption{
    .id = BuiltIn::Help, .name = "help", .letter = 'h', .help = "show this help and exit"};
const Option kVersionOption{
    .id = BuiltIn::Version, .name = "version", .letter = 'V', .help = "show the version and exit"};

namespace {

constexpr int kExitDone = 0;
constexpr int kLongOnly = 256;  // getopt's value of option i without a letter: 256 + i
constexpr size_t kHelpColumn = 24;
constexpr size_t kMostDigits = 18;  // any number of as many digits fits int64_t

bool has_commands(const Program& program) {
  return !program.commands.empty() && !program.commands[0].name.empty();
}

// "a, b or c".
std::string listed(std::span<const std::string_view> values) {
  std::string text;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += i + 1 == values.size() ? " or " : ", ";
    text += values[i];
  }
  return text;
}

// "--name VALUE" as the usage and the help write it.
std::string written(const Option& option) {
  std::string text = "--";
  text += option.name;
  if (!option.argument.empty()) {
    text.append(" ").append(option.argument);
  } else if (!option.values.empty()) {
    text += ' ';
    for (size_t i = 0; i < option.values.size(); ++i)
      text.append(i > 0 ? "|" : "").append(option.values[i]);
  }
  return text;
}

bool is_key(const Command& command, const Option& option) {
  return std::any_of(command.operands.begin(), command.operands.end(),
                     [&](const Operands& shape) { return shape.key == option.id; });
}

std::string usage_line(const Program& program, const Command& command, const Operands& shape) {
  std::string line(program.name);
  if (!command.name.empty()) line.append(" ").append(command.name);
  for (const Option& option : command.options) {
    if (is_key(command, option)) continue;
    line.append(" [").append(written(option)).append(option.repeatable ? "]..." : "]");
  }
  for (const Option& option : command.options)
    if (option.id == shape.key) line.append(" ").append(written(option));
  return line.append(" ").append(shape.synopsis);
}

std::string usage_lines(const Program& program, const Command& command) {
  std::string text;
  for (const Operands& shape : command.operands)
    text.append(text.empty() ? "Usage: " : "       ").append(usage_line(program, command, shape)) +=
        '\n';
  return text;
}

std::string option_help(const std::vector<const Option*>& options) {
  std::string text;
  for (const Option* option : options) {
    std::string left = option->letter != 0 ? std::string("  -") + option->letter + ", " : "      ";
    left += written(*option);
    if (left.size() + 2 > kHelpColumn)
      left += "\n" + std::string(kHelpColumn, ' ');
    else
      left.append(kHelpColumn - left.size(), ' ');
    text += left + std::string(option->help) + "\n";
  }
  return text;
}

int print(std::string_view text) {
  Output out;
  put(out, text);
  return finish(out, kExitDone);
}

// What getopt_long returns for options[i]: its letter, or a number of its
// own past every character.
int getopt_value(const std::vector<const Option*>& options, size_t i) {
  return options[i]->letter != 0 ? options[i]->letter : kLongOnly + static_cast<int>(i);
}

const Option* option_of(const std::vector<const Option*>& options, int value) {
  for (size_t i = 0; i < options.size(); ++i)
    if (getopt_value(options, i) == value) return options[i];
  return nullptr;
}

// Why getopt_long took no option from `given` ("--name" or "--name=value"):
// the name is no option's (then the nearest one, if one is near), or the
// start of several.
std::string long_option_error(const std::vector<const Option*>& options, std::string_view given) {
  std::string_view name = given.substr(0, given.find('='));
  std::string matches;
  std::vector<Spelling> names;
  for (const Option* candidate : options) {
    bool match = false;
    for (std::string_view spelling : {candidate->name, candidate->alias}) {
      if (spelling.empty()) continue;
      names.push_back({spelling, candidate->name});
      match = match || ("--" + std::string(spelling)).starts_with(name);
    }
    if (match) matches.append(matches.empty() ? "" : ", ").append("--").append(candidate->name);
  }
  if (matches.find(',') != std::string::npos)
    return "ambiguous option '" + std::string(name) + "' (" + matches + ")";
  std::string error = "unknown option '" + std::string(name) + "'";
  std::string_view meant = nearest_name(name.substr(std::min<size_t>(2, name.size())), names);
  if (!meant.empty()) error += "; did you mean '--" + std::string(meant) + "'?";
  return error;
}

// Why `given` is not a value of `option`; empty when it is one.
std::string value_error(const Option& option, std::string_view given) {
  if (!option.values.empty()) {
    if (std::find(option.values.begin(), option.values.end(), given) != option.values.end())
      return {};
    return "unknown " + std::string(option.name) + " '" + std::string(given) + "' (" +
           listed(option.values) + ")";
  }
  if (given.empty())
    return "--" + std::string(option.name) + " needs a value (" + std::string(option.argument) +
           ")";
  if (!option.number) return {};
  int64_t n = -1;
  bool digits = given.size() <= kMostDigits &&
                given.find_first_not_of("0123456789") == std::string_view::npos;
  if (digits) std::from_chars(given.data(), given.data() + given.size(), n);
  if (digits && n >= option.least && n <= option.most) return {};
  return "--" + std::string(option.name) + " must be a number from " +
         std::to_string(option.least) + " to " + std::to_string(option.most) + ", not " +
         quoted(given);
}

// The first option given that another given option excludes, as an error;
// empty when there is none.
std::string exclusion_error(const Arguments& arguments) {
  for (const auto& [option, value] : arguments.options)
    for (OptionId excluded : option->excludes)
      for (const auto& [other, other_value] : arguments.options)
        if (other->id == excluded)
          return "--" + std::string(other->name) + " cannot be used with --" +
                 std::string(option->name);
  return {};
}

// Reads the options of `argv` (argv[0] is the program or the command) into
// `arguments`, and sets `next` to the first operand; an empty string, or the
// usage error. With `stop_at_operand` the first operand ends the options.
std::string read_options(const std::vector<const Option*>& options, int argc, char** argv,
                         bool stop_at_operand, Arguments& arguments, int& next) {
  // An alias is a second row with the same value, which getopt_long does
  // not count as ambiguous beside its name.
  std::vector<std::string> names;
  names.reserve(2 * options.size());
  std::vector<struct option> table;
  std::string letters = stop_at_operand ? "+:" : ":";
  for (size_t i = 0; i < options.size(); ++i) {
    const Option& option = *options[i];
    for (std::string_view spelling : {option.name, option.alias}) {
      if (spelling.empty()) continue;
      names.emplace_back(spelling);
      table.push_back({names.back().c_str(), takes_value(option) ? required_argument : no_argument,
                       nullptr, getopt_value(options, i)});
    }
    if (option.letter != 0) letters.append(1, option.letter).append(takes_value(option) ? ":" : "");
  }
  table.push_back({nullptr, 0, nullptr, 0});

  optind = 0;  // start afresh, as for a new command line
  opterr = 0;  // the messages are ours
  int value;
  while ((value = getopt_long(argc, argv, letters.c_str(), table.data(), nullptr)) != -1) {
    const Option* option = option_of(options, value == ':' || value == '?' ? optopt : value);
    if (value == ':')
      return "--" + std::string(option->name) + " needs " +
             (option->values.empty() ? "a value (" + std::string(option->argument) + ")"
                                     : listed(option->values));
    if (value == '?') {
      if (option != nullptr) return "--" + std::string(option->name) + " takes no value";
      if (optopt != 0) return std::string("unknown option '-") + static_cast<char>(optopt) + "'";
      return long_option_error(options, argv[optind - 1]);
    }
    std::string_view given = optarg != nullptr ? std::string_view(optarg) : std::string_view();
    if (takes_value(*option))
      if (std::string error = value_error(*option, given); !error.empty()) return error;
    arguments.options.emplace_back(option, given);
  }
  next = optind;
  return exclusion_error(arguments);
}

// The option given last as `option`, or null. An option that is not in the
// command's table can never be given: asking for one is a slip in the
// program, not a user's mistake, and ends it where any test of the command
// sees it.
const std::pair<const Option*, std::string_view>* last_given(const Arguments& arguments,
                                                             OptionId option) {
  bool known =
      option == kHelpOption.id || option == kVersionOption.id || arguments.command == nullptr;
  if (!known)
    for (const Option& row : arguments.command->options) known = known || row.id == option;
  if (!known) {
    write_standard_error("option " + std::to_string(option.value) + " is not in the table of '" +
                         std::string(arguments.command->name) + "'\n");
    std::abort();
  }
  for (auto given = arguments.options.rbegin(); given != arguments.options.rend(); ++given)
    if (given->first->id == option) return &*given;
  return nullptr;
}

const Operands& operand_shape(const Command& command, const Arguments& arguments) {
  for (const Operands& shape : command.operands)
    if (shape.key != OptionId() && has_option(arguments, shape.key)) return shape;
  for (const Operands& shape : command.operands)
    if (shape.key == OptionId()) return shape;
  return command.operands[0];
}

int run_command(const Program& program, const Command& command, int argc, char** argv,
                std::vector<std::string_view> words) {
  Arguments arguments;
  arguments.command = &command;
  arguments.words = std::move(words);
  if (has_commands(program)) set_running_command(command.name, usage_lines(program, command));
  int next = 0;
  std::string error =
      read_options(command_options(program, command), argc, argv, false, arguments, next);
  if (!error.empty()) return usage_error(error);
  if (has_option(arguments, kHelpOption.id))
    return print(has_commands(program) ? command_help(program, command) : program_help(program));
  if (has_option(arguments, kVersionOption.id)) return print(program.version);
  for (int i = next; i < argc; ++i) arguments.operands.emplace_back(argv[i]);
  const Operands& shape = operand_shape(command, arguments);
  int given = static_cast<int>(arguments.operands.size());
  if (given < shape.least) return usage_error(shape.too_few);
  if (shape.most >= 0 && given > shape.most) return usage_error(shape.too_many);
  return command.run(arguments);
}

}  // namespace

bool takes_value(const Option& option) {
  return !option.argument.empty() || !option.values.empty();
}

std::vector<const Option*> command_options(const Program& program, const Command& command) {
  std::vector<const Option*> options;
  for (const Option& option : command.options) options.push_back(&option);
  options.push_back(&kHelpOption);
  if (!has_commands(program)) options.push_back(&kVersionOption);
  return options;
}

bool has_option(const Arguments& arguments, OptionId option) {
  return last_given(arguments, option) != nullptr;
}

std::string_view option_value(const Arguments& arguments, OptionId option,
                              std::string_view otherwise) {
  const auto* given = last_given(arguments, option);
  return given != nullptr ? given->second : otherwise;
}

std::vector<std::string_view> option_values(const Arguments& arguments, OptionId option) {
  last_given(arguments, option);  // only to hold the option to the table
  std::vector<std::string_view> values;
  for (const auto& given : arguments.options)
    if (given.first->id == option) values.push_back(given.second);
  return values;
}

size_t value_index(const Arguments& arguments, OptionId option, size_t otherwise) {
  const auto* given = last_given(arguments, option);
  if (given == nullptr) return otherwise;
  std::span<const std::string_view> values = given->first->values;
  return static_cast<size_t>(std::find(values.begin(), values.end(), given->second) -
                             values.begin());
}

int64_t option_number(const Arguments& arguments, OptionId option, int64_t otherwise) {
  const auto* given = last_given(arguments, option);
  if (given == nullptr) return otherwise;
  int64_t n = otherwise;
  std::from_chars(given->second.data(), given->second.data() + given->second.size(), n);
  return n;
}

std::string usage_text(const Program& program) {
  std::string text;
  for (const Command& command : program.commands) {
    std::string lines = usage_lines(program, command);
    text += text.empty() ? lines : "       " + lines.substr(7);
  }
  return text;
}

std::string program_help(const Program& program) {
  std::string text = usage_text(program) + "\n" + std::string(program.about);
  if (!has_commands(program)) {
    text += "\nOptions:\n" + option_help(command_options(program, program.commands[0]));
    return text + "\n" + std::string(program.epilogue);
  }
  for (const Command& command : program.commands) {
    text.append("\n").append(command.name).append(":\n").append(command.help);
    std::vector<const Option*> own;
    for (const Option& option : command.options) own.push_back(&option);
    text += option_help(own);
  }
  text += "\nWithout a command:\n" + option_help({&kHelpOption, &kVersionOption});
  text += "\n'" + std::string(program.name) + " COMMAND --help' shows one command.\n";
  return text + "\n" + std::string(program.epilogue);
}

std::string command_help(const Program& program, const Command& command) {
  return usage_lines(program, command) + "\n" + std::string(command.help) + "\nOptions:\n" +
         option_help(command_options(program, command)) + "\n" + std::string(program.epilogue);
}

int run_program(const Program& program, int argc, char** argv) {
  set_running_program(program.name, usage_text(program));
  std::vector<std::string_view> words(argv, argv + argc);
  if (!has_commands(program))
    return run_command(program, program.commands[0], argc, argv, std::move(words));

  Arguments arguments;
  int next = 0;
  std::string error =
      read_options({&kHelpOption, &kVersionOption}, argc, argv, true, arguments, next);
  if (!error.empty()) return usage_error(error);
  if (has_option(arguments, kHelpOption.id)) return print(program_help(program));
  if (has_option(arguments, kVersionOption.id)) return print(program.version);
  if (next >= argc) return usage_error("missing command");
  std::string_view name = argv[next];
  std::vector<Spelling> names;
  for (const Command& command : program.commands) {
    if (command.name == name)
      return run_command(program, command, argc - next, argv + next, std::move(words));
    names.push_back({command.name, command.name});
  }
  error = "unknown command " + quoted(name);
  // The usage of the command meant, alone: the whole block hides it.
  std::string_view meant = nearest_name(name, names);
  for (const Command& command : program.commands)
    if (command.name == meant) {
      set_running_command(command.name, usage_lines(program, command));
      error += "; did you mean '" + std::string(command.name) + "'?";
    }
  return usage_error(error);
}

}  // namespace tolv
