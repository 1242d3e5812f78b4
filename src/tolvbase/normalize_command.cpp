#include "tolvbase/normalize_command.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "companion/messages.h"
#include "companion/output.h"
#include "companion/output_file.h"
#include "companion/text.h"
#include "normalize/normalize.h"
#include "normalize/normalize_report.h"
#include "runtime/syscall.h"
#include "tolvbase/options.h"

namespace tolv {

namespace {

std::string layout_list() {
  std::string out;
  for (const LayoutInfo& l : known_layouts()) {
    std::string name(l.name);
    name.resize(16, ' ');
    out.append(name).append(l.description).append("\n");
  }
  return out;
}

// --report FILE, through the companions' door: never the listing it is
// about, the input being read or an output of this run.
bool open_report(OutputFile& report, const std::string& path, const ListingSource& source) {
  KeptFiles kept;
  if (source.standard_input) keep_open_file(kept, 0, "the input being read");
  if (!source.in_memory) keep_open_file(kept, source.file.fd, "the listing itself");
  keep_open_file(kept, 1, "standard output");
  keep_open_file(kept, 2, "standard error");
  if (open_output(report, path, OutputMode::Replace, kept)) return true;
  complain("--report " + report.error);
  return false;
}

// The files of DIR that are the run's own, when they lie there: the listing
// read, standard output and the report (when it exists already).
std::vector<FileIdentity> own_files(const ListingSource& source, const Arguments& arguments) {
  std::vector<FileIdentity> own;
  struct stat st {};
  auto take = [&] { own.push_back({st.st_dev, st.st_ino}); };
  if (source.standard_input && sys_fstat(0, &st) == 0 && S_ISREG(st.st_mode)) take();
  if (!source.in_memory && sys_fstat(source.file.fd, &st) == 0) take();
  if (sys_fstat(1, &st) == 0 && S_ISREG(st.st_mode)) take();
  std::string report(option_value(arguments, BaseOption::Report));
  if (has_option(arguments, BaseOption::Report) && sys_stat(report.c_str(), &st) == 0 &&
      S_ISREG(st.st_mode))
    take();
  return own;
}

}  // namespace

int normalize_into_output(const Arguments& arguments, ListingSource& source,
                          NormalizeOptions& options, const std::string* dir) {
  bool json = has_option(arguments, BaseOption::Json);
  FileDirectory directory;
  if (dir != nullptr) {
    std::string error;
    if (!read_file_directory(*dir, directory, error, own_files(source, arguments))) {
      close_listing_source(source);
      return complain(error);
    }
    options.directory = &directory;
  }

  // Standard error, or --report FILE: either way a report that cannot be
  // written makes the status 2.
  OutputFile report;
  report.fd = report.out.fd = 2;
  bool to_file = has_option(arguments, BaseOption::Report);
  if (to_file &&
      !open_report(report, std::string(option_value(arguments, BaseOption::Report)), source)) {
    close_listing_source(source);
    return kExitTrouble;
  }

  Output out;
  NormalSink sink{
      [&](std::string_view lines) { put(out, lines); },
      [&](const NormalFinding& f) { write_output(report, normal_finding_line(f, json)); }};
  NormalizeResult result = normalize_listing(source, options, sink);
  close_listing_source(source);
  if (result.error.empty()) write_output(report, normal_summary_line(result.counts, json));
  bool reported = to_file ? close_output(report) : flush_output(report);
  if (!result.error.empty()) {
    flush(out);
    return complain(result.error);
  }
  if (!reported) {
    flush(out);
    // A report lost on standard error cannot be said there either.
    return to_file ? complain(report.error) : kExitTrouble;
  }
  return finish(out, normalize_status(result));
}

int run_normalize(const Arguments& arguments) {
  NormalizeOptions options;
  if (has_option(arguments, BaseOption::Layout)) {
    std::string_view name = option_value(arguments, BaseOption::Layout);
    if (name == "list") {
      Output out;
      put(out, layout_list());
      return finish(out, 0);
    }
    options.layout = find_layout(name);
    if (options.layout == nullptr)
      return usage_error("unknown layout " + quoted(name) + " (--layout list names them)");
  }
  if (arguments.operands.empty()) return usage_error("normalize needs a LISTING");
  options.width = static_cast<size_t>(
      option_number(arguments, BaseOption::Width, static_cast<int64_t>(kDefaultWidth)));
  options.keep_colours = has_option(arguments, BaseOption::KeepColours);
  options.describe = has_option(arguments, BaseOption::Describe);
  options.orphans = has_option(arguments, BaseOption::Orphans);
  bool with_dir = has_option(arguments, BaseOption::Dir);
  if ((options.describe || options.orphans) && !with_dir)
    return usage_error(std::string(options.describe ? "--describe" : "--orphans") +
                       " needs --dir DIR: the files to read");

  ListingSource source;
  if (!open_listing_source(source, std::string(arguments.operands[0])))
    return complain(source.error);
  std::string dir(option_value(arguments, BaseOption::Dir));
  return normalize_into_output(arguments, source, options, with_dir ? &dir : nullptr);
}

}  // namespace tolv
