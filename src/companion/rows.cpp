#include "companion/rows.h"

#include "companion/json_lines.h"

namespace tolv {

namespace {

constexpr std::string_view kRowEnd = "\r\n";

bool runs_as_formula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos;
}

// `text` with its quotes doubled.
void append_doubling_quotes(std::string& out, std::string_view text) {
  for (size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
    out.append(text.substr(0, quote + 1)) += '"';
    text.remove_prefix(quote + 1);
  }
  out += text;
}

// The cell between quotes, after `mark`, its quotes doubled.
void append_quoted(std::string& out, std::string_view mark, std::string_view text) {
  out += '"';
  out += mark;
  append_doubling_quotes(out, text);
  out += '"';
}

// The apostrophe before a cell that would run as a formula.
std::string_view formula_mark(std::string_view text, bool as_stored) {
  return !as_stored && runs_as_formula(text) ? "'" : "";
}

// The field the next value is for, and before it the separator it needs.
const RowField& next_field(RowWriter& writer, std::string& out) {
  const RowField& field = writer.fields[writer.next];
  if (writer.format == RowFormat::Csv && writer.next > 0) out += ',';
  ++writer.next;
  return field;
}

}  // namespace

void append_csv_cell(std::string& out, std::string_view text, bool as_stored) {
  std::string_view mark = formula_mark(text, as_stored);
  if (text.find_first_of(",\"\r\n") != std::string_view::npos) {
    append_quoted(out, mark, text);
    return;
  }
  out += mark;
  out += text;
}

void write_header(const RowWriter& writer, std::string& out) {
  if (writer.format != RowFormat::Csv) return;
  for (size_t i = 0; i < writer.fields.size(); ++i) {
    if (i > 0) out += ',';
    out += writer.fields[i].name;
  }
  out += kRowEnd;
}

void begin_row(RowWriter& writer, std::string& out) {
  writer.next = 0;
  if (writer.format == RowFormat::Json) json_begin(out);
}

void add_number(RowWriter& writer, std::string& out, int64_t value) {
  const RowField& field = next_field(writer, out);
  if (writer.format == RowFormat::Json)
    json_number(out, field.name, value);
  else
    out += std::to_string(value);
}

void add_text(RowWriter& writer, std::string& out, std::string_view text) {
  const RowField& field = next_field(writer, out);
  if (writer.format == RowFormat::Csv)
    append_csv_cell(out, text, writer.as_stored);
  else if (field.type != FieldType::OptionalText || !text.empty())
    json_text(out, field.name, text);
}

void add_lines(RowWriter& writer, std::string& out, const std::vector<std::string>& lines) {
  const RowField& field = next_field(writer, out);
  if (writer.format == RowFormat::Json) {
    json_texts(out, field.name, lines);
    return;
  }
  out += '"';
  if (!lines.empty()) out += formula_mark(lines[0], writer.as_stored);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += '\n';
    append_doubling_quotes(out, lines[i]);
  }
  out += '"';
}

void end_row(RowWriter& writer, std::string& out) {
  if (writer.format == RowFormat::Json)
    json_end(out);
  else
    out += kRowEnd;
}

}  // namespace tolv
