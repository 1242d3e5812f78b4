#include "normalize/entry_reading.h"

#include "listing/columns.h"

namespace tolv {

namespace {

// A date may stand this many columns either side of the layout's place
// (" 5-10-85" begins one column late).
constexpr size_t kDatePlay = 2;

size_t skip_blanks(std::string_view s, size_t pos) {
  while (pos < s.size() && s[pos] == ' ') ++pos;
  return pos;
}

bool at_place(const LayoutModel& m, const DateField& date) {
  if (m.date_column == 0) return true;
  size_t c = date.column;
  return c + kDatePlay >= m.date_column && c <= m.date_column + kDatePlay;
}

// The layout's date at `pos`, if it stands there.
bool read_placed_date(const LayoutModel& m, std::string_view line, size_t& pos, EntryShape& e) {
  size_t p = skip_blanks(line, pos);
  DateField date;
  if (!read_date(line, p, date) || !at_place(m, date)) return false;
  e.date = date;
  pos = p;
  return true;
}

bool read_placed_size(std::string_view line, size_t& pos, EntryShape& e) {
  size_t p = skip_blanks(line, pos);
  if (!read_size(line, p, e.size)) return false;
  pos = p;
  return true;
}

// The fields a layout may have after its date: a time, a second date, a
// counter (with a new-file mark before it).
void read_after_date(const LayoutModel& m, std::string_view line, size_t& pos, EntryShape& e) {
  size_t p = skip_blanks(line, pos);
  if (m.time && read_time(line, p)) {
    e.time = true;
    pos = p;
    p = skip_blanks(line, p);
  }
  DateField second;
  if (m.second_date && read_date(line, p, second)) {
    e.second_date = true;
    pos = p;
    p = skip_blanks(line, p);
  }
  if (!m.counter) return;
  size_t q = p;
  if (read_mark(line, q)) {
    q = skip_blanks(line, q);
    if (!read_counter(line, q)) return;
    e.mark = true;
  } else if (!read_counter(line, q)) {
    return;
  }
  e.counter = true;
  pos = q;
}

bool read_fields(const LayoutModel& m, std::string_view line, size_t& pos, EntryShape& e) {
  switch (m.family) {
    case Family::SizeDate:
      read_placed_size(line, pos, e);
      if (!read_placed_date(m, line, pos, e)) return false;
      if (m.pcboard_columns) return true;
      e.mark = read_glued_mark(line, pos);
      read_after_date(m, line, pos, e);
      return true;
    case Family::DateSize:
      if (read_placed_date(m, line, pos, e)) {
        e.mark = read_glued_mark(line, pos);
        size_t p = skip_blanks(line, pos);
        if (m.time && read_time(line, p)) e.time = true, pos = p;
      }
      read_placed_size(line, pos, e);
      if (!e.date.present && (e.size.form == SizeForm::None || !has_extension(e.name.name)))
        return false;
      read_after_date(LayoutModel{.counter = m.counter}, line, pos, e);
      return true;
    case Family::SizeOnly:
      if (!read_placed_size(line, pos, e)) return false;
      read_after_date(LayoutModel{.counter = m.counter}, line, pos, e);
      return true;
    case Family::NameText:
      read_after_date(LayoutModel{.counter = m.counter}, line, pos, e);
      return true;
  }
  return false;
}

// Where the text of an entry line begins, `pos` past its last field.
size_t text_start(const LayoutModel& m, std::string_view line, size_t pos, const EntryShape& e) {
  if (m.pcboard_columns && e.date.present) {
    // As tolvconv reads it: from column 34, or where text begins before it.
    size_t p = e.date.end;
    const size_t text = kTextColumn - 1;
    while (p < text && p < line.size() && line[p] == ' ') ++p;
    if (p < text && p < line.size() && line[p] == '|') {
      ++p;
      if (p < line.size() && line[p] == ' ') ++p;
    }
    return p;
  }
  size_t p = skip_blanks(line, pos);
  if (m.separator != 0 && p < line.size() && line[p] == m.separator &&
      (p + 1 == line.size() || line[p + 1] == ' '))
    p = skip_blanks(line, p + 1);
  if (m.bar_before_text && p < line.size() && line[p] == '|') {
    ++p;
    if (p < line.size() && line[p] == ' ') ++p;
  }
  return p;
}

bool starts_like_a_rule(char c) {
  return c == '-' || c == '=' || c == '+';
}

}  // namespace

bool read_entry_line(const LayoutModel& m, std::string_view line, EntryShape& e) {
  e = {};
  size_t pos = skip_blanks(line, 0);
  if (pos > 1 || pos >= line.size()) return false;
  bool fields = m.family != Family::NameText;
  if (!read_name(line, pos, e.name, fields)) return false;
  if (!fields && (e.name.indent != 0 || (!e.name.quoted && starts_like_a_rule(e.name.name[0]))))
    return false;
  size_t after_name = pos;
  pos = skip_blanks(line, pos);
  e.gap = pos - after_name;
  if (pos < line.size() && e.gap == 0 && !e.name.split) return false;
  pos = after_name;
  if (!read_fields(m, line, pos, e)) return false;
  size_t p = text_start(m, line, pos, e);
  if (p < line.size()) {
    e.text_column = p + 1;
    e.text = line.substr(p);
  }
  return true;
}

std::string_view marked_text(std::string_view line) {
  size_t p = indent_of(line) + 1;
  if (p < line.size() && line[p] == ' ') ++p;
  return p < line.size() ? line.substr(p) : std::string_view();
}

std::string_view indented_text(std::string_view line) {
  return line.substr(indent_of(line));
}

}  // namespace tolv
