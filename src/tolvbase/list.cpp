#include "tolvbase/list.h"

#include <cstdio>
#include <string>
#include <vector>

#include "companion/date_text.h"
#include "filebase/record.h"
#include "tolvbase/base_walk.h"
#include "tolvbase/check.h"

namespace tolv {

namespace {

void put_field(Output& out, const char* label, const std::string& value) {
  char head[16];
  snprintf(head, sizeof head, "  %-8s", label);
  put(out, head);
  put(out, value);
  put(out, "\n");
}

void put_record(Output& out, const Decoder& decoder, int64_t number, const FileRecord& record,
                const Description& description, const std::vector<Finding>& problems,
                bool descriptions_missing) {
  auto text = [&](std::string_view bytes) { return shown(decoder, bytes); };
  char flags[8];
  snprintf(flags, sizeof flags, "0x%02X", record.Flags);
  std::string flags_text = flags;
  if (record.Flags & kFlagNoDupeCheck) flags_text += " (not counted by the duplicate check)";

  put(out, "record " + std::to_string(number) + "\n");
  put_field(out, "name", text(record.FileName.view()));
  put_field(out, "size", std::to_string(record.Size));
  put_field(out, "date", date_time_text(record.DateTime));
  put_field(out, "origin", text(record.Origin.view()));
  put_field(out, "flags", flags_text);
  put_field(out, "lines",
            std::to_string(record.DescLines) + " at byte " + std::to_string(record.DescPtr) +
                (descriptions_missing ? " (the description file is missing)" : ""));
  for (const std::string& line : description.lines) put(out, "  | " + text(line) + "\n");
  for (const Finding& finding : problems)
    if (is_problem(finding.kind)) put(out, "  ! " + text(finding.text) + "\n");
}

}  // namespace

bool list_base(ReadOnlyBase& base, const Decoder& decoder, Output& out) {
  BaseWalk walk = walk_base(base);
  StoredRecord stored;
  std::vector<Finding> problems;
  while (next_stored_record(walk, stored)) {
    // Without a description file there is nothing to find fault with in the
    // descriptions: only the record's own fields are looked at.
    if (base.descriptions_missing) stored.description = Description{};
    problems.clear();
    check_record(stored.record, stored.number, stored.description, base.descriptions.size,
                 problems);
    if (stored.number > 0) put(out, "\n");
    put_record(out, decoder, stored.number, stored.record, stored.description, problems,
               base.descriptions_missing);
    if (out.failed) return true;  // the caller reports the failed write
  }
  return walk.error.empty();
}

}  // namespace tolv
