#include "tolvbase/command.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "tolv_version.h"
#include "tolvbase/base.h"
#include "tolvbase/check.h"
#include "tolvbase/export_command.h"
#include "tolvbase/list.h"
#include "tolvbase/options.h"
#include "tolvbase/output.h"
#include "tolvbase/preview_command.h"

namespace tolv {

namespace {

// Each command: its synopsis (a line of the usage) and what it does.
struct CommandHelp {
  std::string_view name;
  std::string_view synopsis;
  std::string_view help;
};

constexpr CommandHelp kCommands[] = {
    {"list", "list [--encoding cp437|latin1|raw] BASE...",
     "Prints one block per record: number, name, size, date, origin, flags and\n"
     "description lines. Text is CP437 decoded to UTF-8 in a UTF-8 locale, else\n"
     "raw bytes; --encoding chooses. A base whose description file is missing\n"
     "is listed without its descriptions.\n"},
    {"check", "check [--strict] BASE...",
     "Reports each problem with its record number, and notes what the base holds\n"
     "beside its records: leftovers of an interrupted conversion, or of records\n"
     "that were lost, and doubtful records (a rule row as a name, an impossible\n"
     "date, a name twice). --strict counts the doubts as problems.\n"},
    {"export", "export BASE [--format pcboard|json|csv] [--encoding cp437|latin1|raw]",
     "Writes every record to standard output: --format pcboard (the default) as a\n"
     "PCBoard listing that tolvconv converts back into the same records, naming\n"
     "on standard error each record it cannot write exactly; json as JSON Lines,\n"
     "csv as CSV (RFC 4180), both with text decoded by --encoding (default cp437,\n"
     "to UTF-8).\n"},
    {"preview", "preview LISTING [BASE] [--entries] [--json] [--encoding cp437|latin1|raw]",
     "Reads a PCBoard listing as tolvconv would and reports every line it reads\n"
     "otherwise than a person would, by line number; with BASE also what a -DUPE\n"
     "run into it would skip. LISTING - is standard input. --entries lists every\n"
     "entry, --json writes JSON Lines, --encoding sets how text is shown\n"
     "(default: CP437 decoded to UTF-8 in a UTF-8 locale and in JSON, else raw).\n"},
};

constexpr std::string_view kBaseHelp =
    "BASE names the base as tolvconv's second argument does: its extension, if\n"
    "any, is dropped and .dir (the record file) and .des (the description file)\n"
    "are added, so 'tolvbase check files/*.dir' checks every base there. Records\n"
    "are numbered from 0; record N starts at byte 120 * N. '--' ends the options.\n"
    "\n"
    "Exit status: 0 done (check: the base is sound; preview: no finding), 1 check\n"
    "found a problem, export a record it could not write exactly or preview a\n"
    "finding, 2 usage error or a file that cannot be opened or read. With several\n"
    "bases, the worst of their statuses.\n";

const CommandHelp* find_command(std::string_view name) {
  for (const CommandHelp& command : kCommands)
    if (command.name == name) return &command;
  return nullptr;
}

std::string usage_text() {
  std::string text;
  for (const CommandHelp& command : kCommands)
    text.append(text.empty() ? "Usage: tolvbase " : "       tolvbase ").append(command.synopsis) +=
        '\n';
  return text;
}

constexpr std::string_view kVersion = "tolvbase (TOLVCONV) " TOLV_VERSION
                                      "\n"
                                      "Copyright (C) 2026 The TOLVCONV Authors\n";

}  // namespace

const std::string kUsage = usage_text();
const Program kTolvbase{"tolvbase", kUsage};

void note(std::string_view message) {
  note(kTolvbase, message);
}
int complain(std::string_view message) {
  return complain(kTolvbase, message);
}
int usage_error(std::string_view message) {
  return usage_error(kTolvbase, message);
}

std::string counted(int64_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

bool open_command_base(ReadOnlyBase& base, std::string_view argument, Descriptions descriptions) {
  std::string error;
  if (!open_base(base, argument, error, descriptions)) {
    complain(error);
    return false;
  }
  if (base.being_converted)
    note("'" + base.descriptions.path +
         "' is locked by a conversion in progress; reading it as it stands now");
  return true;
}

// Flushes standard output; a failed write makes the run fail.
int finish(Output& out, int status) {
  if (flush(out)) return status;
  return complain(std::string("cannot write standard output: ") + strerror(out.error));
}

namespace {

// What one base of a command with several prints, and its exit status.
using BaseCommand =
    std::function<int(const std::string& path, const std::string& prefix, Output& out)>;

// Runs `command` on each base in turn, stopping when standard output fails.
// With several bases list heads each with "==> BASE <==" and check starts
// each line with "BASE: "; the status is the worst of theirs.
int for_each_base(const BaseArguments& bases, bool headed, Output& out,
                  const BaseCommand& command) {
  bool several = bases.paths.size() > 1;
  int worst = kExitSound;
  for (size_t n = 0; n < bases.paths.size() && !out.failed; ++n) {
    const std::string& path = bases.paths[n];
    if (several && headed) put(out, std::string(n > 0 ? "\n" : "") + "==> " + path + " <==\n");
    worst = std::max(worst, command(path, several && !headed ? path + ": " : "", out));
  }
  return finish(out, worst);
}

int list_one(const std::string& path, const Decoder& decoder, Output& out) {
  ReadOnlyBase base;
  if (!open_command_base(base, path, Descriptions::Optional)) return flush(out), kExitTrouble;
  if (base.descriptions_missing) {
    flush(out);
    note("'" + base.descriptions.path +
         "' is missing: the records are listed without their descriptions");
  }
  bool listed = list_base(base, decoder, out);
  std::string failure = base.records.error.empty() ? base.descriptions.error : base.records.error;
  close_base(base);
  if (listed) return kExitSound;
  flush(out);
  return complain(failure);
}

int run_list(int argc, char** argv) {
  BaseArguments bases;
  bases.several = true;
  Encoding encoding = display_encoding();
  std::string error = read_base_arguments(
      "list", argc, argv, bases, [&](int count, char** args, int& i, std::string& error) {
        OptionValue option = option_value(count, args, i, "--encoding");
        if (option.matched) error = read_encoding(option, encoding);
        return option.matched;
      });
  if (!error.empty()) return usage_error(error);
  Decoder decoder;
  if (!open_decoder(decoder, encoding, error)) return complain(error);
  Output out;
  return for_each_base(bases, true, out,
                       [&](const std::string& path, const std::string&, Output& out) {
                         return list_one(path, decoder, out);
                       });
}

int check_one(const std::string& path, const std::string& prefix, bool strict, Output& out) {
  ReadOnlyBase base;
  if (!open_command_base(base, path)) return flush(out), kExitTrouble;
  CheckResult result = check_base(base, [&](const Finding& finding) {
    bool problem = is_problem(finding.kind) || (strict && is_doubt(finding.kind));
    put(out, prefix + (problem ? "problem: " : "note: "));
    if (finding.record >= 0) put(out, "record " + std::to_string(finding.record) + ": ");
    put(out, finding.text + "\n");
  });
  if (strict) {
    result.problems += result.doubts;
    result.notes -= result.doubts;
  }
  close_base(base);
  if (result.read_failed) {
    flush(out);
    return complain(result.error);
  }
  put(out, prefix + counted(result.records, "record") + ", " +
               counted(result.description_bytes, "description byte") + ": ");
  if (result.problems == 0)
    put(out, "sound");
  else
    put(out, counted(result.problems, "problem"));
  if (result.notes > 0) put(out, ", " + counted(result.notes, "note"));
  put(out, "\n");
  return result.problems == 0 ? kExitSound : kExitProblem;
}

int run_check(int argc, char** argv) {
  BaseArguments bases;
  bases.several = true;
  bool strict = false;
  std::string error =
      read_base_arguments("check", argc, argv, bases, [&](int, char** args, int& i, std::string&) {
        return std::string_view(args[i]) == "--strict" && (strict = true);
      });
  if (!error.empty()) return usage_error(error);
  Output out;
  return for_each_base(bases, false, out,
                       [&](const std::string& path, const std::string& prefix, Output& out) {
                         return check_one(path, prefix, strict, out);
                       });
}

int print_help(std::string_view text) {
  Output out;
  put(out, text);
  return finish(out, kExitSound);
}

}  // namespace

int tolvbase_main(int argc, char** argv) {
  if (argc < 2) return usage_error("missing command");
  std::string_view command = argv[1];
  if (command == "--help" || command == "-h") {
    std::string help = kUsage +
                       "\nLists, verifies or exports a Tolvane BBS file base without writing it,\n"
                       "and previews a listing before it is converted.\n";
    for (const CommandHelp& c : kCommands)
      help.append("\n").append(c.name).append(":\n").append(c.help);
    return print_help(help + "\n'tolvbase COMMAND --help' shows one command.\n\n" +
                      std::string(kBaseHelp));
  }
  if (command == "--version" || command == "-V") return print_help(kVersion);
  if (const CommandHelp* c = find_command(command); c && asks_for_help(argc - 2, argv + 2))
    return print_help("Usage: tolvbase " + std::string(c->synopsis) + "\n\n" +
                      std::string(c->help) + "\n" + std::string(kBaseHelp));
  if (command == "preview") return run_preview(argc - 2, argv + 2);
  if (command == "export") return run_export(argc - 2, argv + 2);
  if (command == "list") return run_list(argc - 2, argv + 2);
  if (command == "check") return run_check(argc - 2, argv + 2);
  if (command.starts_with("-")) return usage_error("unknown option '" + std::string(command) + "'");
  return usage_error("unknown command '" + std::string(command) + "'");
}

}  // namespace tolv
