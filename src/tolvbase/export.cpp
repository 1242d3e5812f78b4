#include "tolvbase/export.h"

#include <vector>

#include "filebase/record.h"
#include "tolvbase/check.h"
#include "tolvbase/description.h"
#include "tolvbase/listing_lines.h"
#include "tolvbase/record_cursor.h"
#include "tolvbase/record_rows.h"

namespace tolv {

bool parse_export_format(std::string_view name, ExportFormat& format) {
  if (name == "pcboard")
    format = ExportFormat::Pcboard;
  else if (name == "json")
    format = ExportFormat::Json;
  else if (name == "csv")
    format = ExportFormat::Csv;
  else
    return false;
  return true;
}

ExportResult export_base(ReadOnlyBase& base, ExportFormat format, const Decoder& decoder,
                         Output& out, const ExportReport& report) {
  ExportResult result;
  RecordCursor cursor = record_cursor(base);
  DescriptionReader reader = description_reader(base);
  std::vector<Finding> findings;
  std::vector<std::string> reasons;
  std::string text;
  if (format == ExportFormat::Csv) {
    append_csv_header(text);
    put(out, text);
  }
  while (const uint8_t* bytes = next_record(cursor)) {
    int64_t number = cursor.next - 1;
    FileRecord record = decode_record(bytes);
    Description description = read_description(reader, record.DescPtr, record.DescLines);
    if (description.state == DescriptionState::ReadFailed) {
      result.read_failed = true;
      result.error = base.descriptions.error;
      return result;
    }
    findings.clear();
    check_record(record, number, description, base.descriptions.size, findings);
    reasons.clear();
    for (const Finding& finding : findings)
      if (is_problem(finding.kind)) reasons.push_back(finding.text);

    text.clear();
    if (format == ExportFormat::Pcboard)
      append_listing_lines(text, record, description.lines, reasons);
    else if (format == ExportFormat::Json)
      append_json_record(text, number, record, description.lines, decoder);
    else
      append_csv_record(text, number, record, description.lines, decoder);
    put(out, text);
    ++result.records;
    if (!reasons.empty()) ++result.reported;
    for (const std::string& reason : reasons) report(number, reason);
    if (out.failed) return result;  // the caller reports the failed write
  }
  if (!base.records.error.empty()) {
    result.read_failed = true;
    result.error = base.records.error;
  }
  return result;
}

}  // namespace tolv
