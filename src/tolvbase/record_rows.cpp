#include "tolvbase/record_rows.h"

#include <string_view>

#include "companion/date_text.h"
#include "companion/json_text.h"
#include "listing/packed_date.h"

namespace tolv {

namespace {

constexpr std::string_view kRowEnd = "\r\n";

void append_quoted_csv(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void append_csv_field(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos)
    out += text;
  else
    append_quoted_csv(out, text);
}

}  // namespace

void append_json_record(std::string& out, int64_t number, const FileRecord& record,
                        const std::vector<std::string>& lines, const Decoder& decoder) {
  out += "{\"record\": " + std::to_string(number);
  append_json_text_member(out, "name", decoded(decoder, record.FileName.view()));
  append_json_number_member(out, "size", record.Size);
  append_json_text_member(out, "date", date_text(record.DateTime));
  if (!is_midnight(record.DateTime))
    append_json_text_member(out, "time", time_text(record.DateTime));
  append_json_text_member(out, "origin", decoded(decoder, record.Origin.view()));
  append_json_number_member(out, "flags", record.Flags);
  out += ", \"description\": [";
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += ", ";
    append_json_string(out, decoded(decoder, lines[i]));
  }
  out += "]}\n";
}

void append_csv_header(std::string& out) {
  out += "record,name,size,date,time,origin,flags,description";
  out += kRowEnd;
}

void append_csv_record(std::string& out, int64_t number, const FileRecord& record,
                       const std::vector<std::string>& lines, const Decoder& decoder) {
  auto field = [&](std::string_view text) {
    out += text;
    out += ',';
  };
  field(std::to_string(number));
  append_csv_field(out, decoded(decoder, record.FileName.view()));
  out += ',';
  field(std::to_string(record.Size));
  field(date_text(record.DateTime));
  field(is_midnight(record.DateTime) ? std::string() : time_text(record.DateTime));
  append_csv_field(out, decoded(decoder, record.Origin.view()));
  out += ',';
  field(std::to_string(record.Flags));
  std::string description;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) description += '\n';
    decode(decoder, lines[i], description);
  }
  append_quoted_csv(out, description);
  out += kRowEnd;
}

}  // namespace tolv
