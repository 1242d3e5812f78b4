#include "tolvbase/preview_command.h"

#include <errno.h>
#include <sys/stat.h>

#include <string>

#include "companion/base.h"
#include "companion/messages.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "normalize/preview.h"
#include "runtime/syscall.h"
#include "tolvbase/base_commands.h"
#include "tolvbase/options.h"
#include "tolvbase/preview_output.h"

namespace tolv {

namespace {

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What the listing (empty: standard input) is among the base's files: a
// message when it is one of them, by identity, not by name (226.dir read
// as an RBBS listing is the record file of base 226); empty when not.
std::string listing_in_base(const std::string& listing, const BasePaths& paths) {
  struct stat read {};
  if ((listing.empty() ? sys_fstat(0, &read) : sys_stat(listing.c_str(), &read)) != 0) return {};
  for (const auto& [path, what] : {std::pair{&paths.record_file, "record file"},
                                   std::pair{&paths.description_file, "description file"}}) {
    struct stat file {};
    if (sys_stat(path->c_str(), &file) == 0 && same_file(read, file))
      return "the listing is the " + std::string(what) + " " + quoted(*path) +
             " of the base: tolvconv would write the base into the listing while it reads it; "
             "name another BASE";
  }
  return {};
}

// True when neither file of the base exists and the directory they would
// be made in does: a conversion makes the base. A base with one file of
// the two is not new, and opening it says what is missing.
bool base_is_new(const BasePaths& paths) {
  struct stat st {};
  for (const std::string* path : {&paths.record_file, &paths.description_file})
    if (sys_stat(path->c_str(), &st) == 0 || system_error != ENOENT) return false;
  size_t slash = paths.record_file.rfind('/');
  std::string dir = slash == std::string::npos ? "."
                    : slash == 0               ? "/"
                                               : paths.record_file.substr(0, slash);
  return sys_stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The names of the base the listing would be converted into, when it
// exists; false, after complaining, when it cannot be read.
bool read_base_names(std::string_view argument, NameIndex& names) {
  ReadOnlyBase base;
  if (!open_command_base(base, argument, Descriptions::Required,
                         "reading its names as they stand now"))
    return false;
  std::string error;
  bool loaded = load_base_names(base, names, error);
  close_base(base);
  if (!loaded) complain(error);
  return loaded;
}

}  // namespace

int run_preview(const Arguments& arguments) {
  bool json = has_option(arguments, BaseOption::Json);
  Encoding standard = json ? Encoding::Cp437 : display_encoding();
  auto encoding = static_cast<Encoding>(
      value_index(arguments, BaseOption::Encoding, static_cast<size_t>(standard)));
  if (json && encoding == Encoding::Raw) return usage_error(raw_json_refusal("--json"));
  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, encoding, error)) return complain(error);

  std::string listing(arguments.operands[0]);
  if (listing == "-") listing.clear();
  Output out;
  PreviewPrinter printer{&out, &decoder, json, has_option(arguments, BaseOption::Entries)};
  NameIndex names;
  std::string own_file;  // the listing is a file of the base: its records are none
  if (arguments.operands.size() > 1) {
    BasePaths paths = derive_base_paths(arguments.operands[1]);
    own_file = listing_in_base(listing, paths);
    printer.with_base = own_file.empty();
    printer.new_base = printer.with_base && base_is_new(paths);
    if (printer.with_base && !printer.new_base && !read_base_names(arguments.operands[1], names))
      return kExitTrouble;
  }
  if (!own_file.empty()) print_base_finding(printer, own_file);

  PreviewSink sink{[&](const PreviewEntry& entry) { print_entry(printer, entry); },
                   [&](const PreviewFinding& finding) { print_finding(printer, finding); }};
  PreviewResult result = preview_listing(listing, &names, sink);
  if (result.failed) {
    flush(out);
    return complain(result.error);
  }
  if (!own_file.empty()) ++result.counts.findings;
  print_summary(printer, result.counts);
  return finish(out, result.counts.findings == 0 ? kExitSound : kExitProblem);
}

}  // namespace tolv
