#include "tolvbase/preview_command.h"

#include <string>
#include <string_view>

#include "tolvbase/base.h"
#include "tolvbase/command.h"
#include "tolvbase/options.h"
#include "tolvbase/preview.h"
#include "tolvbase/preview_output.h"

namespace tolv {

namespace {

struct Options {
  std::string listing;
  std::string base;
  bool has_base = false;
  bool json = false;
  bool entries = false;
  bool encoding_given = false;
  Encoding encoding = Encoding::Cp437;
};

// Takes the next LISTING or BASE; an empty string, or the usage error.
std::string take_operand(std::string_view arg, int& positional, Options& options) {
  if (positional == 0) {
    options.listing = arg == "-" ? "" : std::string(arg);
  } else if (positional == 1) {
    options.base = arg;
    options.has_base = true;
  } else {
    return "preview takes a LISTING and at most one BASE";
  }
  ++positional;
  return {};
}

// Parses the arguments; an empty string on success, else the usage error.
std::string parse_options(int argc, char** argv, Options& options) {
  int positional = 0;
  int end = options_end(argc, argv);
  for (int i = 0; i < end; ++i) {
    std::string_view arg = argv[i];
    std::string error;
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--entries") {
      options.entries = true;
    } else if (OptionValue encoding = option_value(argc, argv, i, "--encoding"); encoding.matched) {
      error = read_encoding(encoding, options.encoding);
      options.encoding_given = true;
    } else if (arg.size() > 1 && arg.starts_with("-")) {
      error = "unknown option '" + std::string(arg) + "'";
    } else {
      error = take_operand(arg, positional, options);
    }
    if (!error.empty()) return error;
  }
  for (int i = end + 1; i < argc; ++i)
    if (std::string error = take_operand(argv[i], positional, options); !error.empty())
      return error;
  if (positional == 0) return "preview needs a LISTING";
  if (options.json && options.encoding == Encoding::Raw)
    return "--encoding raw cannot be used with --json (JSON text is UTF-8)";
  return {};
}

}  // namespace

int run_preview(int argc, char** argv) {
  Options options;
  if (std::string error = parse_options(argc, argv, options); !error.empty())
    return usage_error(error);
  if (!options.encoding_given && !options.json) options.encoding = display_encoding();
  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, options.encoding, error)) return complain(error);

  NameIndex names;
  if (options.has_base) {
    ReadOnlyBase base;
    if (!open_base(base, options.base, error)) return complain(error);
    if (base.being_converted)
      note("'" + base.descriptions.path +
           "' is locked by a conversion in progress; reading its names as they stand now");
    bool loaded = load_base_names(base, names, error);
    close_base(base);
    if (!loaded) return complain(error);
  }

  Output out;
  PreviewPrinter printer{&out, &decoder, options.json, options.entries, options.has_base};
  PreviewSink sink{[&](const PreviewEntry& entry) { print_entry(printer, entry); },
                   [&](const PreviewFinding& finding) { print_finding(printer, finding); }};
  PreviewResult result = preview_listing(options.listing, &names, sink);
  if (result.failed) {
    flush(out);
    return complain(result.error);
  }
  print_summary(printer, result.counts);
  return finish(out, result.counts.findings == 0 ? kExitSound : kExitProblem);
}

}  // namespace tolv
