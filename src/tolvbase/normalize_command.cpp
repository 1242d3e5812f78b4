#include "tolvbase/normalize_command.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "companion/messages.h"
#include "companion/output.h"
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

// The report must not truncate the listing it is about.
bool open_report(Output& report, const std::string& path, const ListingSource& source) {
  struct stat listing {
  }, target{};
  if (!source.in_memory && sys_fstat(source.file.fd, &listing) == 0 &&
      sys_stat(path.c_str(), &target) == 0 && listing.st_dev == target.st_dev &&
      listing.st_ino == target.st_ino) {
    complain("--report " + quoted(path) + " is the listing itself; it is left as it is");
    return false;
  }
  int fd = retry_interrupted(
      [&] { return sys_open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666); });
  if (fd < 0) {
    complain(cannot("open", path, system_error));
    return false;
  }
  report.fd = fd;
  return true;
}

// The files of DIR that are the run's own, when they lie there: the listing
// read, standard output and the report (when it exists already).
std::vector<FileIdentity> own_files(const ListingSource& source, const Arguments& arguments) {
  std::vector<FileIdentity> own;
  struct stat st {};
  auto take = [&] { own.push_back({st.st_dev, st.st_ino}); };
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

  Output report;
  report.fd = 2;
  std::string report_path(option_value(arguments, BaseOption::Report));
  if (has_option(arguments, BaseOption::Report)) {
    if (!open_report(report, report_path, source)) {
      close_listing_source(source);
      return kExitTrouble;
    }
  }

  Output out;
  NormalSink sink{[&](std::string_view lines) { put(out, lines); },
                  [&](const NormalFinding& f) { put(report, normal_finding_line(f, json)); }};
  NormalizeResult result = normalize_listing(source, options, sink);
  close_listing_source(source);
  if (!result.error.empty()) {
    flush(report);
    flush(out);
    if (report.fd != 2) sys_close(report.fd);
    return complain(result.error);
  }
  put(report, normal_summary_line(result.counts, json));
  bool reported = flush(report);
  if (report.fd != 2) {
    if (sys_close(report.fd) != 0 && reported) reported = false;
    if (!reported) {
      flush(out);
      return complain(cannot("write", report_path, report.error));
    }
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
