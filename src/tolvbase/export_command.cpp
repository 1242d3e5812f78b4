#include "tolvbase/export_command.h"

#include <string>

#include "companion/base.h"
#include "companion/messages.h"
#include "companion/text.h"
#include "tolvbase/base_commands.h"
#include "tolvbase/export.h"
#include "tolvbase/options.h"

namespace tolv {

int run_export(const Arguments& arguments) {
  auto format = static_cast<ExportFormat>(value_index(arguments, BaseOption::Format, 0));
  bool encoding_given = has_option(arguments, BaseOption::Encoding);
  auto encoding = static_cast<Encoding>(value_index(arguments, BaseOption::Encoding, 0));
  if (format == ExportFormat::Pcboard && encoding_given && encoding != Encoding::Raw)
    return usage_error(
        "--encoding applies to json and csv: a pcboard listing keeps the bytes as stored");
  if (format == ExportFormat::Json && encoding == Encoding::Raw)
    return usage_error(raw_json_refusal("--format json"));
  if (format != ExportFormat::Csv && has_option(arguments, BaseOption::AsStored))
    return usage_error("--as-stored applies to csv: the other formats keep every text as stored");
  if (format == ExportFormat::Pcboard) encoding = Encoding::Raw;

  Decoder decoder;
  std::string error;
  if (!open_decoder(decoder, encoding, error)) return complain(error);
  // The reasons name texts of the base: shown as `tolvbase list` shows them.
  Decoder display;
  if (!open_decoder(display, display_encoding(), error))
    open_decoder(display, Encoding::Raw, error);

  ReadOnlyBase base;
  if (!open_command_base(base, arguments.operands[0])) return kExitTrouble;
  Output out;
  Output report;
  report.fd = 2;
  auto note_record = [&](int64_t record, const std::string& why) {
    put(report, "tolvbase: record " + std::to_string(record) + ": " + shown(display, why) + "\n");
  };
  ExportResult result = export_base(base, format, decoder, out, note_record,
                                    has_option(arguments, BaseOption::AsStored));
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
