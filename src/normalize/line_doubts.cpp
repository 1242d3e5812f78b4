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

}  // namespace

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

std::string near_miss_message(std::string_view name, std::string_view line, const DateField& d,
                              bool leading_blank) {
  size_t at = d.column, width = d.end + 1 - d.column;
  std::string where =
      "date " + quoted_cp437(line.substr(at - 1, width)) + " at " + columns_text(at, d.end);
  std::string how;
  if (d.separator == '/') how = "written with '/'";
  if (d.wide != 0) how += std::string(how.empty() ? "" : " and ") + "with a four-digit year";
  bool numeric = !d.month_name && !d.packed;
  if (how.empty() && numeric && width == kDateField.width) {
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

bool is_include_line(std::string_view line, std::string& message) {
  if (line.empty() || line[0] != '%') return false;
  std::string_view file = line.substr(1, line.find_last_not_of(" \t"));
  if (file.empty() || file.find_first_of(" \t") != std::string_view::npos) return false;
  message = "PCBoard shows the text of the file " + quoted_cp437(file) +
            " here; tolvconv does not read it, nor any entry in it";
  return true;
}

}  // namespace tolv
