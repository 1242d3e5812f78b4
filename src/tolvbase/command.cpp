#include "tolvbase/command.h"

#include <cstring>
#include <string>
#include <string_view>

#include "tolvbase/base.h"
#include "tolvbase/check.h"
#include "tolvbase/list.h"
#include "tolvbase/output.h"

#ifndef TOLV_VERSION
#define TOLV_VERSION "unknown"
#endif

namespace tolv {

namespace {

constexpr std::string_view kUsage =
    "Usage: tolvbase list BASE\n"
    "       tolvbase check BASE\n";

constexpr std::string_view kHelp =
    "Lists or verifies a Tolvane BBS file base without writing it.\n"
    "\n"
    "  list BASE    one block per record: number, name, size, date, origin,\n"
    "               flags and description lines\n"
    "  check BASE   reports each problem with its record number, and notes\n"
    "               what the base holds beside its records: leftovers of an\n"
    "               interrupted conversion, or of records that were lost\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "BASE names the base as tolvconv's second argument does: its extension, if\n"
    "any, is dropped and .dir (the record file) and .des (the description file)\n"
    "are added. Records are numbered from 0; record N starts at byte 120 * N.\n"
    "\n"
    "Exit status: 0 done (check: the base is sound), 1 check found a problem,\n"
    "2 usage error or a file of the base that cannot be opened or read.\n";

constexpr std::string_view kVersion = "tolvbase (TOLVCONV) " TOLV_VERSION
                                      "\n"
                                      "Copyright (C) 2026 The TOLVCONV Authors\n";

std::string counted(int64_t n, const char* noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

void to_standard_error(std::string_view text) {
  Output err;
  err.fd = 2;
  put(err, text);
  flush(err);
}

// One line on standard error that does not stop the command.
void note(std::string_view message) {
  to_standard_error("tolvbase: " + std::string(message) + "\n");
}

int complain(std::string_view message) {
  note(message);
  return kExitTrouble;
}

int usage_error(std::string_view message) {
  to_standard_error("tolvbase: " + std::string(message) + "\n" + std::string(kUsage) +
                    "Try 'tolvbase --help' for more information.\n");
  return kExitTrouble;
}

// Flushes standard output; a failed write makes the run fail.
int finish(Output& out, int status) {
  if (flush(out)) return status;
  return complain(std::string("cannot write standard output: ") + strerror(out.error));
}

int run_list(ReadOnlyBase& base) {
  Output out;
  if (!list_base(base, out)) {
    flush(out);
    return complain(base.records.error.empty() ? base.descriptions.error : base.records.error);
  }
  return finish(out, kExitSound);
}

int run_check(ReadOnlyBase& base) {
  Output out;
  CheckResult result = check_base(base, [&](const Finding& finding) {
    if (finding.record >= 0)
      put(out, std::string(is_problem(finding.kind) ? "problem" : "note") + ": record " +
                   std::to_string(finding.record) + ": ");
    else
      put(out, is_problem(finding.kind) ? "problem: " : "note: ");
    put(out, finding.text + "\n");
  });
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
  if (command != "list" && command != "check") {
    if (command.starts_with("-"))
      return usage_error("unknown option '" + std::string(command) + "'");
    return usage_error("unknown command '" + std::string(command) + "'");
  }
  if (argc != 3) return usage_error(std::string(command) + " takes one BASE argument");

  ReadOnlyBase base;
  std::string error;
  if (!open_base(base, argv[2], error)) return complain(error);
  if (base.being_converted)
    note("'" + base.descriptions.path +
         "' is locked by a conversion in progress; reading it as it stands now");
  int status = command == "list" ? run_list(base) : run_check(base);
  close_base(base);
  return status;
}

}  // namespace tolv
