#include "tolvbase/listing_lines.h"

#include <cstdio>
#include <string_view>

#include "companion/date_text.h"
#include "companion/text.h"
#include "listing/columns.h"
#include "listing/entry.h"
#include "listing/line_writer.h"
#include "listing/number.h"
#include "listing/packed_date.h"
#include "listing/reader.h"

namespace tolv {

namespace {

bool holds_line_end(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The text with each CR and LF as a space, so that it stays on its line.
std::string on_one_line(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string columns_text(Field field) {
  return std::to_string(field.column) + "-" + std::to_string(field.column + field.width - 1);
}

// The date columns' text: the stored date, or the last a listing date can
// hold when the year is past it. The time of day is not written.
std::string listing_date(uint32_t packed) {
  DateTimeFields f = unpack_date_time(packed);
  if (f.year > kLastListingYear) return date_text_of(kLastListingYear, 12, 31);
  return date_text_of(f.year, f.month, f.day);
}

std::string name_reason(std::string_view name, size_t room, const std::string& size) {
  std::string what = "the name " + quoted_cp437(name);
  if (holds_line_end(name)) return what + " holds a line end (written as a space)";
  if (name.find(' ') != std::string_view::npos)
    return what + " holds a space, where a conversion ends the name";
  if (name.size() <= kNameColumns)
    return what + " fills columns 1-" + std::to_string(kNameColumns) + " and the size " + size +
           " fills columns " + columns_text(kSizeField) +
           ", so no space ends the name (written cut to " + std::to_string(room) + " characters)";
  return what + " is " + std::to_string(name.size()) + " characters; its columns hold " +
         std::to_string(room) + " (written cut to " + std::to_string(room) + ")";
}

void add_date_reasons(uint32_t packed, std::vector<std::string>& reasons) {
  if (!is_midnight(packed))
    reasons.push_back("the time of day " + time_text(packed) +
                      " cannot be written in a listing date (dropped)");
  if (unsigned year = unpack_date_time(packed).year; year > kLastListingYear)
    reasons.push_back(
        "the year " + std::to_string(year) + " is past " + std::to_string(kLastListingYear) +
        ", the last a listing date can hold (written as " + listing_date(packed) + ")");
}

void add_text_reason(size_t number, std::string_view text, std::vector<std::string>& reasons) {
  std::string what = "description line " + std::to_string(number);
  if (holds_line_end(text))
    reasons.push_back(what + " holds a line end (written as a space)");
  else
    reasons.push_back(what + " is " + std::to_string(text.size()) +
                      " characters; a conversion keeps the first " +
                      std::to_string(kDescLineCapacity));
}

// What a conversion keeps of a description line's text.
std::string_view kept_text(std::string_view text) {
  return text.substr(0, kDescLineCapacity);
}

void add_field_reasons(const FileRecord& record, std::vector<std::string>& reasons) {
  if (record.DescLines > kMaxDescLines)
    reasons.push_back("DescLines is " + std::to_string(record.DescLines) +
                      "; a conversion keeps the first " + std::to_string(kMaxDescLines) + " lines");
  if (record.Flags != 0) {
    char flags[8];
    snprintf(flags, sizeof flags, "0x%02X", record.Flags);
    reasons.push_back(std::string("Flags is ") + flags + "; a conversion writes 0x00");
  }
  if (record.Origin.view() != kOrigin)
    reasons.push_back("Origin is " + quoted_cp437(record.Origin.view()) +
                      "; a conversion writes '" + kOrigin + "'");
  if (record.AuxCount != 0)
    reasons.push_back("AuxCount is " + std::to_string(record.AuxCount) + "; a conversion writes 0");
}

}  // namespace

void append_listing_lines(std::string& out, const FileRecord& record,
                          const std::vector<std::string>& lines,
                          std::vector<std::string>& reasons) {
  std::string size = integer_text(record.Size);
  // A name that fills all its columns needs the size's first column blank.
  size_t room = name_room(size.size());
  std::string_view name = record.FileName.view();
  std::string_view first = lines.empty() ? std::string_view() : lines[0];

  std::string line;
  start_entry_line(line, on_one_line(name.substr(0, room)), size, listing_date(record.DateTime));
  append_line_text(line, on_one_line(first));
  out += line;
  out += kListingLineEnd;

  EntryFields back = entry_fields(line);
  if (back.name != name) reasons.push_back(name_reason(name, room, size));
  if (convert_date(back.date) != record.DateTime) add_date_reasons(record.DateTime, reasons);
  if (kept_text(back.text) != first) add_text_reason(1, first, reasons);

  for (size_t i = 1; i < lines.size(); ++i) {
    start_continuation_line(line);
    append_line_text(line, on_one_line(lines[i]));
    out += line;
    out += kListingLineEnd;
    if (kept_text(continuation_text(line)) != lines[i]) add_text_reason(i + 1, lines[i], reasons);
  }
  add_field_reasons(record, reasons);
}

}  // namespace tolv
