#include "tolvbase/list.h"

#include <cstdio>
#include <string>
#include <vector>

#include "filebase/record.h"
#include "tolvbase/check.h"
#include "tolvbase/description.h"
#include "tolvbase/record_cursor.h"
#include "tolvbase/record_text.h"

namespace tolv {

namespace {

void put_field(Output& out, const char* label, const std::string& value) {
  char head[16];
  snprintf(head, sizeof head, "  %-8s", label);
  put(out, head);
  put(out, value);
  put(out, "\n");
}

void put_record(Output& out, int64_t number, const FileRecord& record,
                const Description& description, const std::vector<Finding>& problems) {
  char flags[8];
  snprintf(flags, sizeof flags, "0x%02X", record.Flags);
  std::string flags_text = flags;
  if (record.Flags & kFlagNoDupeCheck) flags_text += " (not counted by the duplicate check)";

  put(out, "record " + std::to_string(number) + "\n");
  put_field(out, "name", escape_controls(record.FileName.view()));
  put_field(out, "size", std::to_string(record.Size));
  put_field(out, "date", date_time_text(record.DateTime));
  put_field(out, "origin", escape_controls(record.Origin.view()));
  put_field(out, "flags", flags_text);
  put_field(out, "lines",
            std::to_string(record.DescLines) + " at byte " + std::to_string(record.DescPtr));
  for (const std::string& line : description.lines) put(out, "  | " + escape_controls(line) + "\n");
  for (const Finding& finding : problems)
    if (is_problem(finding.kind)) put(out, "  ! " + finding.text + "\n");
}

}  // namespace

bool list_base(ReadOnlyBase& base, Output& out) {
  RecordCursor cursor = record_cursor(base);
  DescriptionReader reader = description_reader(base);
  std::vector<Finding> problems;
  while (const uint8_t* bytes = next_record(cursor)) {
    int64_t number = cursor.next - 1;
    FileRecord record = decode_record(bytes);
    Description description = read_description(reader, record.DescPtr, record.DescLines);
    if (description.state == DescriptionState::ReadFailed) return false;
    problems.clear();
    check_record(record, number, description, base.descriptions.size, problems);
    if (number > 0) put(out, "\n");
    put_record(out, number, record, description, problems);
    if (out.failed) return true;  // the caller reports the failed write
  }
  return base.records.error.empty();
}

}  // namespace tolv
