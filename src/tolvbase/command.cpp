#include "tolvbase/command.h"

#include <cstring>
#include <string>
#include <string_view>

#include "tolvbase/base.h"
#include "tolvbase/check.h"
#include "tolvbase/export_command.h"
#include "tolvbase/list.h"
#include "tolvbase/options.h"
#include "tolvbase/output.h"
#include "tolvbase/preview_command.h"

#ifndef TOLV_VERSION
#define TOLV_VERSION "unknown"
#endif

namespace tolv {

namespace {

constexpr std::string_view kUsage =
    "Usage: tolvbase list [--encoding cp437|latin1|raw] BASE\n"
    "       tolvbase check [--strict] BASE\n"
    "       tolvbase export BASE [--format pcboard|json|csv] [--encoding cp437|latin1|raw]\n"
    "       tolvbase preview LISTING [BASE] [--entries] [--json] [--encoding cp437|latin1|raw]\n";

constexpr std::string_view kHelp =
    "Lists, verifies or exports a Tolvane BBS file base without writing it.\n"
    "\n"
    "  list BASE    one block per record: number, name, size, date, origin,\n"
    "               flags and description lines; --encoding as for preview\n"
    "  check BASE   reports each problem with its record number, and notes\n"
    "               what the base holds beside its records: leftovers of an\n"
    "               interrupted conversion, or of records that were lost, and\n"
    "               doubtful records (a rule row as a name, an impossible\n"
    "               date, a name twice); --strict counts the doubts as problems\n"
    "  export BASE  writes every record to standard output: --format pcboard\n"
    "               (the default) as a PCBoard listing that tolvconv converts\n"
    "               back into the same records, naming on standard error each\n"
    "               record it cannot write exactly; json as JSON Lines, csv as\n"
    "               CSV (RFC 4180), both with text decoded by --encoding\n"
    "               (default cp437, to UTF-8)\n"
    "  preview LISTING [BASE]\n"
    "               reads a PCBoard listing as tolvconv would and reports every\n"
    "               line it reads otherwise than a person would, by line number;\n"
    "               with BASE also what a -DUPE run into it would skip.\n"
    "               --entries lists every entry, --json writes JSON Lines,\n"
    "               --encoding sets how text is shown (default: CP437 decoded\n"
    "               to UTF-8 in a UTF-8 locale and in JSON, else raw bytes)\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "BASE names the base as tolvconv's second argument does: its extension, if\n"
    "any, is dropped and .dir (the record file) and .des (the description file)\n"
    "are added. Records are numbered from 0; record N starts at byte 120 * N.\n"
    "\n"
    "Exit status: 0 done (check: the base is sound; preview: no finding), 1 check\n"
    "found a problem, export a record it could not write exactly or preview a\n"
    "finding, 2 usage error or a file that cannot be opened or read.\n";

constexpr std::string_view kVersion = "tolvbase (TOLVCONV) " TOLV_VERSION
                                      "\n"
                                      "Copyright (C) 2026 The TOLVCONV Authors\n";

}  // namespace

constexpr Program kTolvbase{"tolvbase", kUsage};

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

bool open_command_base(ReadOnlyBase& base, std::string_view argument) {
  std::string error;
  if (!open_base(base, argument, error)) {
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

int run_list(int argc, char** argv) {
  BaseArgument named;
  Encoding encoding = display_encoding();
  for (int i = 0; i < argc; ++i) {
    std::string error;
    if (OptionValue option = option_value(argc, argv, i, "--encoding"); option.matched)
      error = read_encoding(option, encoding);
    else
      error = take_base("list", argv[i], named);
    if (!error.empty()) return usage_error(error);
  }
  if (std::string error = base_given("list", named); !error.empty()) return usage_error(error);
  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, encoding, error)) return complain(error);

  ReadOnlyBase base;
  if (!open_command_base(base, named.path)) return kExitTrouble;
  Output out;
  bool listed = list_base(base, decoder, out);
  std::string failure = base.records.error.empty() ? base.descriptions.error : base.records.error;
  close_base(base);
  if (!listed) {
    flush(out);
    return complain(failure);
  }
  return finish(out, kExitSound);
}

int run_check(int argc, char** argv) {
  BaseArgument named;
  bool strict = false;
  for (int i = 0; i < argc; ++i) {
    std::string error;
    if (std::string_view(argv[i]) == "--strict")
      strict = true;
    else
      error = take_base("check", argv[i], named);
    if (!error.empty()) return usage_error(error);
  }
  if (std::string error = base_given("check", named); !error.empty()) return usage_error(error);
  ReadOnlyBase base;
  if (!open_command_base(base, named.path)) return kExitTrouble;
  Output out;
  CheckResult result = check_base(base, [&](const Finding& finding) {
    bool problem = is_problem(finding.kind) || (strict && is_doubt(finding.kind));
    put(out, problem ? "problem: " : "note: ");
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
  put(out, counted(result.records, "record") + ", " +
               counted(result.description_bytes, "description byte") + ": ");
  if (result.problems == 0)
    put(out, "sound");
  else
    put(out, counted(result.problems, "problem"));
  if (result.notes > 0) put(out, ", " + counted(result.notes, "note"));
  put(out, "\n");
  return finish(out, result.problems == 0 ? kExitSound : kExitProblem);
}

}  // namespace

int tolvbase_main(int argc, char** argv) {
  if (argc < 2) return usage_error("missing command");
  std::string_view command = argv[1];
  if (command == "--help" || command == "-h") {
    Output out;
    put(out, kUsage);
    put(out, "\n");
    put(out, kHelp);
    return finish(out, kExitSound);
  }
  if (command == "--version") {
    Output out;
    put(out, kVersion);
    return finish(out, kExitSound);
  }
  if (command == "preview") return run_preview(argc - 2, argv + 2);
  if (command == "export") return run_export(argc - 2, argv + 2);
  if (command == "list") return run_list(argc - 2, argv + 2);
  if (command == "check") return run_check(argc - 2, argv + 2);
  if (command.starts_with("-")) return usage_error("unknown option '" + std::string(command) + "'");
  return usage_error("unknown command '" + std::string(command) + "'");
}

}  // namespace tolv
