#include "tolvbase/export_command.h"

#include <string>
#include <string_view>

#include "tolvbase/base.h"
#include "tolvbase/command.h"
#include "tolvbase/export.h"
#include "tolvbase/options.h"

namespace tolv {

namespace {

struct Options {
  BaseArguments base;
  ExportFormat format = ExportFormat::Pcboard;
  bool encoding_given = false;
  Encoding encoding = Encoding::Cp437;
};

// Parses the arguments; an empty string on success, else the usage error.
std::string parse_options(int argc, char** argv, Options& options) {
  std::string error = read_base_arguments(
      "export", argc, argv, options.base, [&](int count, char** args, int& i, std::string& error) {
        if (OptionValue format = option_value(count, args, i, "--format"); format.matched) {
          if (format.missing)
            error = "--format needs pcboard, json or csv";
          else if (!parse_export_format(format.value, options.format))
            error = "unknown format '" + std::string(format.value) + "' (pcboard, json or csv)";
        } else if (OptionValue encoding = option_value(count, args, i, "--encoding");
                   encoding.matched) {
          error = read_encoding(encoding, options.encoding);
          options.encoding_given = true;
        } else {
          return false;
        }
        return true;
      });
  if (!error.empty()) return error;
  if (options.format == ExportFormat::Pcboard && options.encoding_given &&
      options.encoding != Encoding::Raw)
    return "--encoding applies to json and csv: a pcboard listing keeps the bytes as stored";
  if (options.format == ExportFormat::Json && options.encoding == Encoding::Raw)
    return "--encoding raw cannot be used with --format json (JSON text is UTF-8)";
  return {};
}

}  // namespace

int run_export(int argc, char** argv) {
  Options options;
  if (std::string error = parse_options(argc, argv, options); !error.empty())
    return usage_error(error);
  if (options.format == ExportFormat::Pcboard) options.encoding = Encoding::Raw;
  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, options.encoding, error)) return complain(error);
  // The reasons name texts of the base: shown as `tolvbase list` shows them.
  Decoder shown;
  if (!open_decoder(shown, display_encoding(), error)) open_decoder(shown, Encoding::Raw, error);

  ReadOnlyBase base;
  if (!open_command_base(base, options.base.paths[0])) return kExitTrouble;
  Output out;
  Output report;
  report.fd = 2;
  ExportResult result =
      export_base(base, options.format, decoder, out, [&](int64_t record, const std::string& why) {
        put(report,
            "tolvbase: record " + std::to_string(record) + ": " + decoded(shown, why) + "\n");
      });
  close_base(base);
  if (result.reported > 0)
    put(report, "tolvbase: " + counted(result.reported, "record") + " of " +
                    std::to_string(result.records) + " not written as stored\n");
  flush(report);
  if (result.read_failed) {
    flush(out);
    return complain(result.error);
  }
  return finish(out, result.reported > 0 ? kExitProblem : kExitSound);
}

}  // namespace tolv
