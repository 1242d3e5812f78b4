#include "tolvbase/export.h"

#include <vector>

#include "filebase/record.h"
#include "tolvbase/base_walk.h"
#include "tolvbase/check.h"
#include "tolvbase/listing_lines.h"
#include "tolvbase/record_rows.h"

namespace tolv {

ExportResult export_base(ReadOnlyBase& base, ExportFormat format, const Decoder& decoder,
                         Output& out, const ExportReport& report, bool as_stored) {
  ExportResult result;
  BaseWalk walk = walk_base(base);
  StoredRecord stored;
  std::vector<Finding> findings;
  std::vector<std::string> reasons;
  std::string text;
  RecordRows rows = record_rows(format == ExportFormat::Csv ? RowFormat::Csv : RowFormat::Json,
                                decoder, as_stored);
  if (format != ExportFormat::Pcboard) {
    write_header(rows.writer, text);
    put(out, text);
  }
  while (next_stored_record(walk, stored)) {
    const FileRecord& record = stored.record;
    int64_t number = stored.number;
    const std::vector<std::string>& lines = stored.description.lines;
    findings.clear();
    check_record(record, number, stored.description, base.descriptions.size, findings);
    reasons.clear();
    for (const Finding& finding : findings)
      if (is_problem(finding.kind)) reasons.push_back(finding.text);

    text.clear();
    if (format == ExportFormat::Pcboard)
      append_listing_lines(text, record, lines, reasons);
    else
      append_record_row(rows, text, number, record, lines);
    put(out, text);
    ++result.records;
    if (!reasons.empty()) ++result.reported;
    for (const std::string& reason : reasons) report(number, reason);
    if (out.failed) return result;  // the caller reports the failed write
  }
  if (!walk.error.empty()) {
    result.read_failed = true;
    result.error = walk.error;
  }
  return result;
}

}  // namespace tolv
