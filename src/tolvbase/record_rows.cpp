#include "tolvbase/record_rows.h"

#include "companion/date_text.h"
#include "listing/packed_date.h"

namespace tolv {

namespace {

constexpr RowField kRecordFields[] = {
    {"record", FieldType::Number}, {"name", FieldType::Text},         {"size", FieldType::Number},
    {"date", FieldType::Text},     {"time", FieldType::OptionalText}, {"origin", FieldType::Text},
    {"flags", FieldType::Number},  {"description", FieldType::Lines},
};

}  // namespace

RecordRows record_rows(RowFormat format, const Decoder& decoder, bool as_stored) {
  RecordRows rows;
  rows.writer = {format, kRecordFields, as_stored};
  rows.decoder = &decoder;
  return rows;
}

void append_record_row(RecordRows& rows, std::string& out, int64_t number, const FileRecord& record,
                       const std::vector<std::string>& lines) {
  RowWriter& w = rows.writer;
  const Decoder& decoder = *rows.decoder;
  begin_row(w, out);
  add_number(w, out, number);
  add_text(w, out, decoded(decoder, record.FileName.view()));
  add_number(w, out, record.Size);
  add_text(w, out, date_text(record.DateTime));
  add_text(w, out, is_midnight(record.DateTime) ? std::string() : time_text(record.DateTime));
  add_text(w, out, decoded(decoder, record.Origin.view()));
  add_number(w, out, record.Flags);
  rows.lines.resize(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    rows.lines[i].clear();
    decode(decoder, lines[i], rows.lines[i]);
  }
  add_lines(w, out, rows.lines);
  end_row(w, out);
}

}  // namespace tolv
