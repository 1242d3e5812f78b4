#include "tolvbase/export_command.h"

#include <string>

#include "companion/base.h"
#include "companion/messages.h"
#include "companion/text.h"
#include "tolvbase/base_commands.h"
#include "tolvbase/export.h"

namespace tolv {

int run_export(const Arguments& arguments) {
  ExportFormat format = ExportFormat::Pcboard;
  parse_export_format(option_value(arguments, "format", "pcboard"), format);
  bool encoding_given = has_option(arguments, "encoding");
  Encoding encoding = Encoding::Cp437;
  parse_encoding(option_value(arguments, "encoding", "cp437"), encoding);
  if (format == ExportFormat::Pcboard && encoding_given && encoding != Encoding::Raw)
    return usage_error(
        "--encoding applies to json and csv: a pcboard listing keeps the bytes as stored");
  if (format == ExportFormat::Json && encoding == Encoding::Raw)
    return usage_error(raw_json_refusal("--format json"));
  if (format == ExportFormat::Pcboard) encoding = Encoding::Raw;

  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, encoding, error)) return complain(error);
  // The reasons name texts of the base: shown as `tolvbase list` shows them.
  Decoder shown;
  if (!open_decoder(shown, display_encoding(), error)) open_decoder(shown, Encoding::Raw, error);

  ReadOnlyBase base;
  if (!open_command_base(base, arguments.operands[0])) return kExitTrouble;
  Output out;
  Output report;
  report.fd = 2;
  ExportResult result =
      export_base(base, format, decoder, out, [&](int64_t record, const std::string& why) {
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
