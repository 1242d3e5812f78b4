#include "normalize/line_doubts.h"

#include "companion/date_text.h"
#include "companion/name_doubts.h"
#include "companion/text.h"
#include "filebase/record.h"
#include "listing/columns.h"
#include "listing/entry.h"
#include "listing/number.h"
#include "listing/reader.h"

namespace tolv {

namespace {

constexpr char kCtrlZ = 0x1A;

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool all_blank(std::string_view text) {
  for (char c : text)
    if (!is_blank(c)) return false;
  return true;
}

std::string columns_text(size_t first, size_t last) {
  return "columns " + std::to_string(first) + "-" + std::to_string(last);
}

std::string count_text(size_t n, const char* noun) {
  static const char* const kWords[] = {"no",  "one",   "two",   "three", "four", "five",
                                       "six", "seven", "eight", "nine",  "ten"};
  std::string number = n < 11 ? kWords[n] : std::to_string(n);
  return number + " " + plural(static_cast<int64_t>(n), noun);
}

// A token that reads as a file name: no path or option characters, a letter
// or digit, and either an extension or the shape of a bare DOS name.
bool is_file_name(std::string_view token) {
  if (token.empty() || token.size() > 64) return false;
  bool alnum = false;
  bool lower = false;
  for (char c : token) {
    if (c == '/' || c == '\\' || c == ':' || c == '|' || c == '%' || c == ',' ||
        static_cast<unsigned char>(c) < 32)
      return false;
    if ((c >= 'A' && c <= 'Z') || is_digit(c)) alnum = true;
    if (c >= 'a' && c <= 'z') alnum = lower = true;
  }
  if (!alnum || is_rule_name(token)) return false;
  size_t dot = token.rfind('.');
  if (dot != std::string_view::npos && dot > 0 && token.size() - dot - 1 >= 1 &&
      token.size() - dot - 1 <= 4)
    return true;
  return dot == std::string_view::npos && token.size() <= 8 && !lower;
}

// An 8.3 name, as FILES.BBS lists them.
bool is_dos_name(std::string_view token) {
  size_t dot = token.find('.');
  return dot != std::string_view::npos && dot >= 1 && dot <= 8 && token.size() - dot - 1 >= 1 &&
         token.size() - dot - 1 <= 3 && is_file_name(token);
}

// A date D-D-YY, DD-DD-YYYY, D/DD/YY and the like, with the same separator
// twice and no digit directly before or after it.
struct FoundDate {
  size_t at = 0;  // index of its first character
  size_t width = 0;
  char separator = '-';
  bool long_year = false;
};

size_t digits_at(std::string_view line, size_t at) {
  size_t n = 0;
  while (at + n < line.size() && is_digit(line[at + n])) ++n;
  return n;
}

bool find_date(std::string_view line, size_t from, FoundDate& date) {
  for (size_t at = from; at < line.size(); ++at) {
    if (!is_digit(line[at]) || (at > 0 && is_digit(line[at - 1]))) continue;
    size_t month = digits_at(line, at);
    size_t sep1 = at + month;
    if (month > 2 || sep1 >= line.size() || (line[sep1] != '-' && line[sep1] != '/')) continue;
    size_t day = digits_at(line, sep1 + 1);
    size_t sep2 = sep1 + 1 + day;
    if (day < 1 || day > 2 || sep2 >= line.size() || line[sep2] != line[sep1]) continue;
    size_t year = digits_at(line, sep2 + 1);
    if (year != 2 && year != 4) continue;
    date = {at, sep2 + 1 + year - at, line[sep1], year == 4};
    return true;
  }
  return false;
}

// A size: a run of digits and commas, blank-delimited, outside the date.
bool has_number_token(std::string_view line, size_t from, const FoundDate& date) {
  size_t at = from;
  while (at < line.size()) {
    while (at < line.size() && is_blank(line[at])) ++at;
    size_t end = at;
    while (end < line.size() && !is_blank(line[end])) ++end;
    std::string_view token = line.substr(at, end - at);
    bool number = !token.empty() && is_digit(token[0]);
    for (char c : token) number = number && (is_digit(c) || c == ',');
    if (number && (end <= date.at || at >= date.at + date.width)) return true;
    at = end;
  }
  return false;
}

std::string near_miss_message(std::string_view name, std::string_view line, const FoundDate& d,
                              bool leading_blank) {
  std::string where = "date " + quoted_cp437(line.substr(d.at, d.width)) + " at " +
                      columns_text(d.at + 1, d.at + d.width);
  std::string how;
  if (d.separator == '/') how = "written with '/'";
  if (d.long_year) how += std::string(how.empty() ? "" : " and ") + "with a four-digit year";
  if (how.empty() && d.width == kDateField.width) {
    size_t at = d.at + 1;
    how = count_text(at < kDateField.column ? kDateField.column - at : at - kDateField.column,
                     "column") +
          (at < kDateField.column ? " left of " : " right of ") +
          columns_text(kDateField.column, kDateField.column + kDateField.width - 1);
  } else if (how.empty()) {
    how = "not MM-DD-YY in " +
          columns_text(kDateField.column, kDateField.column + kDateField.width - 1);
  }
  if (leading_blank) how.append(", and the line starts with a blank");
  return quoted_cp437(name) + " is skipped, not converted: " + where + ", " + how +
         " (a file entry line has '-' in columns 26 and 29)";
}

}  // namespace

const char* layout_text(Layout layout) {
  switch (layout) {
    case Layout::FilesBbs:
      return "a FILES.BBS listing (NAME.EXT and a description, no size or date)";
    case Layout::SlashDates:
      return "a listing with dates written with '/' (MM/DD/YY or MM/DD/YYYY)";
    case Layout::LongYears:
      return "a listing with four-digit years";
    case Layout::Shifted:
      return "a PCBoard listing with its columns shifted";
    case Layout::CommaSizes:
      return "a listing with sizes written with commas (such as 1,024)";
    case Layout::None:
      break;
  }
  return "another layout";
}

bool doubt_entry_line(std::string_view line, std::vector<LineDoubt>& doubts) {
  EntryFields f = entry_fields(line);
  if (is_rule_name(f.name)) {
    std::string why;
    if (!f.name.empty())
      why = "its name " + quoted_cp437(f.name) + " is a rule";
    else if (line.empty() || line[0] == ' ')
      why = "its name is empty (the line begins with a blank)";
    else
      why = "its name is empty (the line holds no blank)";
    doubts.push_back({Doubt::Separator,
                      "a rule or header row that tolvconv stores as a record ('-' in columns "
                      "26 and 29): " +
                          why});
    return true;
  }

  bool runs_on = f.name.size() >= kSizeField.column;
  if (f.name.size() > static_cast<size_t>(kFileNameCapacity))
    doubts.push_back({Doubt::NameCut, "the name has " + std::to_string(f.name.size()) +
                                          " characters: it is stored cut to its first " +
                                          std::to_string(kFileNameCapacity) +
                                          ", and a -DUPE run compares those"});
  size_t control = 0;
  while (control < f.name.size() && static_cast<unsigned char>(f.name[control]) >= 32 &&
         f.name[control] != 127)
    ++control;
  if (control < f.name.size() || (runs_on && f.name.size() <= kFileNameCapacity)) {
    std::string message;
    if (control < f.name.size())
      message =
          "the name holds " +
          std::string(f.name[control] == '\t'
                          ? "a TAB"
                          : "the control byte " + escape_line_controls(f.name.substr(control, 1))) +
          " at column " + std::to_string(control + 1) + ", which does not end it";
    if (runs_on)
      message += std::string(message.empty() ? "the name" : ", and it") +
                 " runs past column 12 into the size columns; the size is read from " +
                 columns_text(kSizeField.column, kSizeField.column + kSizeField.width - 1) + " (" +
                 quoted_cp437(f.size) + ") as " + std::to_string(parse_integer(f.size));
    if (f.name.size() >= kDateField.column)
      message += ", the date from " +
                 columns_text(kDateField.column, kDateField.column + kDateField.width - 1) +
                 " as " + date_time_text(convert_date(f.date));
    doubts.push_back({Doubt::NameRunsOn, message + ": the name is stored as " +
                                             quoted_cp437(f.name.substr(0, kFileNameCapacity))});
  }

  int32_t size = 0;
  if (!runs_on && !all_blank(f.size)) {
    std::string field = columns_text(kSizeField.column, kSizeField.column + kSizeField.width - 1) +
                        " hold " + quoted_cp437(f.size);
    if (!read_integer(f.size, size))
      doubts.push_back({Doubt::SizeUnreadable,
                        field + ", which is not a number" +
                            (f.size.find(',') != std::string_view::npos ? " (a comma)" : "") +
                            ": the size is stored as 0"});
    else if (size < 0)
      doubts.push_back({Doubt::SizeUnreadable,
                        field + ", a negative size: it is stored as " + std::to_string(size)});
  }

  DateText date = date_text(f.date);
  struct Part {
    std::string_view text;
    const char* name;
    size_t column;
    int low, high;
  } parts[] = {{date.month, "month", kDateField.column, 1, 12},
               {date.day, "day", kDateField.column + 3, 1, 31},
               {date.year, "year", kDateField.column + 6, 0, 99}};
  std::string wrong;
  for (const Part& part : parts) {
    if (f.name.size() >= kDateField.column) break;  // told with the name
    size_t digits = part.text.find_first_not_of(' ');
    bool numeric = digits != std::string_view::npos;
    for (size_t i = numeric ? digits : 0; numeric && i < part.text.size(); ++i)
      numeric = is_digit(part.text[i]);
    std::string at = columns_text(part.column, part.column + 1);
    std::string problem;
    if (!numeric)
      problem = "non-digits where the " + std::string(part.name) + " goes (" + at + ": " +
                quoted_cp437(part.text) + ")";
    else if (int value = parse_integer(part.text); value < part.low || value > part.high)
      problem = std::string(part.name) + " " + std::to_string(value) + " (" + at + ") is outside " +
                std::to_string(part.low) + " to " + std::to_string(part.high);
    if (!problem.empty()) wrong += (wrong.empty() ? "" : ", ") + problem;
  }
  if (!wrong.empty())
    doubts.push_back({Doubt::DateImpossible,
                      wrong + ": the date is stored as " + date_time_text(convert_date(f.date))});

  doubt_text(f.text, doubts);
  return false;
}

void doubt_text(std::string_view text, std::vector<LineDoubt>& doubts) {
  if (text.size() <= kDescLineCapacity || all_blank(text.substr(kDescLineCapacity))) return;
  size_t lost = text.size() - kDescLineCapacity;
  doubts.push_back({Doubt::TextCut, "description text from column " +
                                        std::to_string(kTextColumn + kDescLineCapacity) +
                                        " on is dropped (" + count_text(lost, "character") +
                                        "; a description line keeps " +
                                        std::to_string(kDescLineCapacity) + ")"});
}

void doubt_ctrl_z(std::string_view line, std::vector<LineDoubt>& doubts) {
  size_t at = line.find(kCtrlZ);
  if (at == std::string_view::npos) return;
  std::string_view rest = line.substr(at + 1);
  if (rest.find_first_not_of(" \t\x1a") == std::string_view::npos) return;
  std::string message = "a Ctrl-Z at column " + std::to_string(at + 1) + " with " +
                        count_text(rest.size(), "more character") +
                        " after it (two files glued together?): tolvconv keeps them in this line";
  if (is_entry_line(rest))
    message +=
        ", so the entry " + quoted_cp437(entry_fields(rest).name) + " after it is not converted";
  doubts.push_back({Doubt::CtrlZ, message});
}

bool has_comma_size(std::string_view line) {
  std::string_view size = entry_fields(line).size;
  int32_t value;
  return size.find(',') != std::string_view::npos && !read_integer(size, value);
}

SkippedLine judge_skipped_line(std::string_view line) {
  SkippedLine s;
  size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    s.shape = Shape::Blank;
    return s;
  }
  if (line[first] == '|') {
    s.shape = Shape::Bar;
    s.bar_column = first + 1;
    return s;
  }
  if (first == 0 && line[0] == '%') {
    std::string_view file = line.substr(1, line.find_last_not_of(" \t"));
    if (!file.empty() && file.find_first_of(" \t") == std::string_view::npos) {
      s.shape = Shape::Include;
      s.message = "PCBoard shows the text of the file " + quoted_cp437(file) +
                  " here; tolvconv does not read it, nor any entry in it";
      return s;
    }
  }
  // Text indented by two blanks or more: RBBS's continuation lines, text
  // aligned under the description without a '|'.
  if (first >= 2) {
    s.shape = Shape::Indented;
    return s;
  }
  size_t name_end = line.find_first_of(" \t", first);
  if (name_end == std::string_view::npos) return s;
  std::string_view name = line.substr(first, name_end - first);
  if (!is_file_name(name)) return s;
  FoundDate date;
  if (find_date(line, name_end, date) && has_number_token(line, name_end, date)) {
    s.shape = Shape::NearMiss;
    s.layout = date.separator == '/' ? Layout::SlashDates
               : date.long_year      ? Layout::LongYears
                                     : Layout::Shifted;
    s.message = near_miss_message(name, line, date, first == 1);
    return s;
  }
  if (first == 0 && is_dos_name(name) && !all_blank(line.substr(name_end))) {
    s.shape = Shape::FilesBbs;
    s.layout = Layout::FilesBbs;
  }
  return s;
}

}  // namespace tolv
