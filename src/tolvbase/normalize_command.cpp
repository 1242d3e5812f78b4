#include "tolvbase/normalize_command.h"

#include <sys/stat.h>

#include <string>

#include "companion/messages.h"
#include "companion/output.h"
#include "companion/output_file.h"
#include "companion/text.h"
#include "normalize/normalize.h"
#include "normalize/normalize_report.h"
#include "runtime/syscall.h"

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
  if (source.in_memory)
    keep_open_file(kept, 0, "the input being read");
  else
    keep_open_file(kept, source.file.fd, "the listing itself");
  keep_open_file(kept, 1, "standard output");
  keep_open_file(kept, 2, "standard error");
  if (open_output(report, path, OutputMode::Replace, kept)) return true;
  complain("--report " + report.error);
  return false;
}

}  // namespace

int run_normalize(const Arguments& arguments) {
  NormalizeOptions options;
  if (has_option(arguments, "layout")) {
    std::string_view name = option_value(arguments, "layout");
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
  if (has_option(arguments, "width")) {
    std::string width(option_value(arguments, "width"));
    size_t end = 0;
    unsigned long n = 0;
    bool digits = !width.empty() && width.find_first_not_of("0123456789") == std::string::npos;
    if (digits && width.size() <= 3) n = std::stoul(width, &end);
    if (!digits || width.size() > 3 || n < kMinWidth || n > kMaxWidth)
      return usage_error("--width must be a number from " + std::to_string(kMinWidth) + " to " +
                         std::to_string(kMaxWidth) + ", not " + quoted(width));
    options.width = n;
  }
  options.keep_colours = has_option(arguments, "keep-colours");
  bool json = has_option(arguments, "json");

  ListingSource source;
  if (!open_listing_source(source, std::string(arguments.operands[0])))
    return complain(source.error);

  FileDirectory directory;
  if (has_option(arguments, "dir")) {
    std::string dir(option_value(arguments, "dir"));
    struct stat st {};
    bool known = !source.in_memory && sys_fstat(source.file.fd, &st) == 0;
    std::string error;
    if (!read_file_directory(dir, directory, error, known ? st.st_dev : 0, known ? st.st_ino : 0)) {
      close_listing_source(source);
      return complain(error);
    }
    options.directory = &directory;
  }

  // Standard error, or --report FILE: either way a report that cannot be
  // written makes the status 2.
  OutputFile report;
  report.fd = report.out.fd = 2;
  bool to_file = has_option(arguments, "report");
  if (to_file && !open_report(report, std::string(option_value(arguments, "report")), source)) {
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

}  // namespace tolv
