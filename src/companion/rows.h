// Records as JSON Lines or as CSV, written from one list of fields: the
// JSON members and the CSV header come from the same list, in its order.
//
// CSV follows RFC 4180: a header row of the field names, rows ending in
// CR LF, a cell holding a comma, a quote, CR or LF quoted with its quotes
// doubled. A text cell that a spreadsheet would run as a formula (one that
// starts with '=', '+', '-', '@', TAB or CR) is written after an apostrophe,
// which the spreadsheet shows as text; with `as_stored` every cell is
// written exactly as given. JSON strings go through append_json_string.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

enum class FieldType {
  Number,
  Text,
  OptionalText,  // left out of a JSON object when empty; an empty CSV cell
  Lines,         // a JSON array of strings; in CSV one quoted cell, joined by LF
};

struct RowField {
  std::string_view name;
  FieldType type;
};

enum class RowFormat { Json, Csv };

struct RowWriter {
  RowFormat format = RowFormat::Json;
  std::span<const RowField> fields;
  bool as_stored = false;  // CSV: no apostrophe before a formula
  size_t next = 0;         // the field the next value is for
};

// The CSV header row; nothing for JSON.
void write_header(const RowWriter& writer, std::string& out);

// A row: begin_row, then one value for each field in order, then end_row.
void begin_row(RowWriter& writer, std::string& out);
void add_number(RowWriter& writer, std::string& out, int64_t value);
void add_text(RowWriter& writer, std::string& out, std::string_view text);
void add_lines(RowWriter& writer, std::string& out, const std::vector<std::string>& lines);
void end_row(RowWriter& writer, std::string& out);

// One CSV cell as the writer writes a text cell.
void append_csv_cell(std::string& out, std::string_view text, bool as_stored);

}  // namespace tolv
