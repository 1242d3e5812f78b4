#include "tolvbase/base_commands.h"

#include <algorithm>
#include <functional>
#include <string>

#include "companion/disk_check.h"
#include "companion/file_directory.h"
#include "companion/messages.h"
#include "companion/output.h"
#include "companion/text.h"
#include "companion/text_encoding.h"
#include "tolvbase/check.h"
#include "tolvbase/list.h"
#include "tolvbase/options.h"

namespace tolv {

namespace {

// What one base of a command with several prints, and its exit status.
using BaseCommand =
    std::function<int(const std::string& path, const std::string& prefix, Output& out)>;

// Runs `command` on each base in turn, stopping when standard output fails.
// With several bases list heads each with "==> BASE <==" and check starts
// each line with "BASE: "; the status is the worst of theirs.
int for_each_base(const Arguments& arguments, bool headed, Output& out,
                  const BaseCommand& command) {
  const std::vector<std::string_view>& bases = arguments.operands;
  bool several = bases.size() > 1;
  int worst = kExitSound;
  for (size_t n = 0; n < bases.size() && !out.failed; ++n) {
    std::string path(bases[n]);
    std::string shown = escape_controls(path);
    if (several && headed) put(out, std::string(n > 0 ? "\n" : "") + "==> " + shown + " <==\n");
    worst = std::max(worst, command(path, several && !headed ? shown + ": " : "", out));
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

// The files of the base against `dir`, one line a finding; false, the
// reason in `error`, when the records cannot be read.
bool check_disk(ReadOnlyBase& base, FileDirectory& dir, const std::string& prefix, bool strict,
                Output& out, DiskCheck& disk) {
  disk = check_files_on_disk(base, dir, [&](const DiskFinding& finding) {
    put(out, prefix + (strict ? "problem: " : "note: "));
    if (finding.record >= 0) put(out, "record " + std::to_string(finding.record) + ": ");
    put(out, finding.text + "\n");
  });
  return disk.error.empty();
}

int check_one(const std::string& path, const std::string& prefix, const std::string& dir_path,
              bool strict, Output& out) {
  FileDirectory dir;
  std::string error;
  if (!dir_path.empty() && !read_file_directory(dir_path, dir, error))
    return flush(out), complain(error);
  ReadOnlyBase base;
  if (!open_command_base(base, path)) return flush(out), kExitTrouble;
  CheckResult result = check_base(base, [&](const Finding& finding) {
    bool problem = is_problem(finding.kind) || (strict && is_doubt(finding.kind));
    put(out, prefix + (problem ? "problem: " : "note: "));
    if (finding.record >= 0) put(out, "record " + std::to_string(finding.record) + ": ");
    put(out, finding.text + "\n");
  });
  DiskCheck disk;
  if (!result.read_failed && !dir_path.empty() &&
      !check_disk(base, dir, prefix, strict, out, disk)) {
    result.read_failed = true;
    result.error = disk.error;
  }
  int64_t on_disk = disk.missing + disk.size_differs + disk.orphans;
  (strict ? result.problems : result.notes) += on_disk;
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
  if (!dir_path.empty()) put(out, "; files: " + disk_check_counts(disk));
  put(out, "\n");
  return result.problems == 0 ? kExitSound : kExitProblem;
}

}  // namespace

bool open_command_base(ReadOnlyBase& base, std::string_view argument, Descriptions descriptions,
                       std::string_view reading) {
  std::string error;
  if (!open_base(base, argument, error, descriptions)) {
    complain(error);
    return false;
  }
  if (base.being_converted)
    note("'" + base.descriptions.path + "' is locked by a conversion in progress; " +
         std::string(reading));
  return true;
}

int run_list(const Arguments& arguments) {
  auto encoding = static_cast<Encoding>(
      value_index(arguments, BaseOption::Encoding, static_cast<size_t>(display_encoding())));
  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, encoding, error)) return complain(error);
  Output out;
  return for_each_base(arguments, true, out,
                       [&](const std::string& path, const std::string&, Output& out) {
                         return list_one(path, decoder, out);
                       });
}

int run_check(const Arguments& arguments) {
  bool strict = has_option(arguments, BaseOption::Strict);
  std::string dir(option_value(arguments, BaseOption::Dir));
  Output out;
  return for_each_base(arguments, false, out,
                       [&](const std::string& path, const std::string& prefix, Output& out) {
                         return check_one(path, prefix, dir, strict, out);
                       });
}

}  // namespace tolv
