#include "companion/command_line.h"

#include <getopt.h>

#include <algorithm>

#include "companion/messages.h"

namespace tolv {

const Option kHelpOption{"help", 'h', {}, {}, "show this help and exit"};
const Option kVersionOption{"version", 'V', {}, {}, "show the version and exit"};

namespace {

constexpr int kExitDone = 0;
constexpr int kLongOnly = 256;  // getopt's value of option i without a letter: 256 + i
constexpr size_t kHelpColumn = 24;

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
                     [&](const Operands& shape) { return shape.key == option.name; });
}

std::string usage_line(const Program& program, const Command& command, const Operands& shape) {
  std::string line(program.name);
  if (!command.name.empty()) line.append(" ").append(command.name);
  for (const Option& option : command.options) {
    if (is_key(command, option)) continue;
    line.append(" [").append(written(option)).append(option.repeatable ? "]..." : "]");
  }
  for (const Option& option : command.options)
    if (option.name == shape.key) line.append(" ").append(written(option));
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
// the name is no option's, or the start of several.
std::string long_option_error(const std::vector<const Option*>& options, std::string_view given) {
  std::string_view name = given.substr(0, given.find('='));
  std::string matches;
  for (const Option* candidate : options)
    if (("--" + std::string(candidate->name)).starts_with(name))
      matches.append(matches.empty() ? "" : ", ").append("--").append(candidate->name);
  if (matches.find(',') != std::string::npos)
    return "ambiguous option '" + std::string(name) + "' (" + matches + ")";
  return "unknown option '" + std::string(name) + "'";
}

// Reads the options of `argv` (argv[0] is the program or the command) into
// `arguments`, and sets `next` to the first operand; an empty string, or the
// usage error. With `stop_at_operand` the first operand ends the options.
std::string read_options(const std::vector<const Option*>& options, int argc, char** argv,
                         bool stop_at_operand, Arguments& arguments, int& next) {
  std::vector<std::string> names(options.size());
  std::vector<struct option> table;
  std::string letters = stop_at_operand ? "+:" : ":";
  for (size_t i = 0; i < options.size(); ++i) {
    const Option& option = *options[i];
    names[i] = option.name;
    table.push_back({names[i].c_str(), takes_value(option) ? required_argument : no_argument,
                     nullptr, getopt_value(options, i)});
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
    if (!option->values.empty() &&
        std::find(option->values.begin(), option->values.end(), given) == option->values.end())
      return "unknown " + std::string(option->name) + " '" + std::string(given) + "' (" +
             listed(option->values) + ")";
    arguments.options.emplace_back(option, given);
  }
  next = optind;
  return {};
}

const Operands& operand_shape(const Command& command, const Arguments& arguments) {
  for (const Operands& shape : command.operands)
    if (!shape.key.empty() && has_option(arguments, shape.key)) return shape;
  for (const Operands& shape : command.operands)
    if (shape.key.empty()) return shape;
  return command.operands[0];
}

int run_command(const Program& program, const Command& command, int argc, char** argv,
                std::vector<std::string_view> words) {
  Arguments arguments;
  arguments.command = &command;
  arguments.words = std::move(words);
  int next = 0;
  std::string error =
      read_options(command_options(program, command), argc, argv, false, arguments, next);
  if (!error.empty()) return usage_error(error);
  if (has_option(arguments, kHelpOption.name))
    return print(has_commands(program) ? command_help(program, command) : program_help(program));
  if (has_option(arguments, kVersionOption.name)) return print(program.version);
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

bool has_option(const Arguments& arguments, std::string_view name) {
  return std::any_of(arguments.options.begin(), arguments.options.end(),
                     [&](const auto& given) { return given.first->name == name; });
}

std::string_view option_value(const Arguments& arguments, std::string_view name,
                              std::string_view otherwise) {
  for (auto given = arguments.options.rbegin(); given != arguments.options.rend(); ++given)
    if (given->first->name == name) return given->second;
  return otherwise;
}

std::vector<std::string_view> option_values(const Arguments& arguments, std::string_view name) {
  std::vector<std::string_view> values;
  for (const auto& given : arguments.options)
    if (given.first->name == name) values.push_back(given.second);
  return values;
}

size_t value_index(const Arguments& arguments, std::string_view name, size_t otherwise) {
  for (auto given = arguments.options.rbegin(); given != arguments.options.rend(); ++given) {
    if (given->first->name != name) continue;
    std::span<const std::string_view> values = given->first->values;
    return static_cast<size_t>(std::find(values.begin(), values.end(), given->second) -
                               values.begin());
  }
  return otherwise;
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
  if (has_option(arguments, kHelpOption.name)) return print(program_help(program));
  if (has_option(arguments, kVersionOption.name)) return print(program.version);
  if (next >= argc) return usage_error("missing command");
  std::string_view name = argv[next];
  for (const Command& command : program.commands)
    if (command.name == name)
      return run_command(program, command, argc - next, argv + next, std::move(words));
  return usage_error("unknown command '" + std::string(name) + "'");
}

}  // namespace tolv
