#include "normalize/line_fields.h"

#include "companion/name_doubts.h"
#include "companion/text.h"
#include "listing/columns.h"
#include "listing/number.h"

namespace tolv {

namespace {

constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_alpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_blank(char c) {
  return c == ' ';
}

// Past this a size's digits are only counted: it is too large to carry
// anyway, and the value cannot overflow.
constexpr int64_t kLargestValue = 99'999'999'999;

// The CP437 check mark some generators put after the date of a new file.
constexpr char kCheckMark = static_cast<char>(0xFB);

size_t skip_blanks(std::string_view s, size_t pos) {
  while (pos < s.size() && is_blank(s[pos])) ++pos;
  return pos;
}

size_t token_end(std::string_view s, size_t pos) {
  while (pos < s.size() && !is_blank(s[pos])) ++pos;
  return pos;
}

// Up to `most` digits at `pos`: their value and how many there were.
size_t digits(std::string_view s, size_t pos, size_t most, int64_t& value) {
  size_t start = pos;
  value = 0;
  while (pos < s.size() && pos - start < most && is_digit(s[pos]))
    value = value * 10 + (s[pos++] - '0');
  return pos - start;
}

// A token ends at a blank or at the end of the line.
bool ends_token(std::string_view s, size_t pos) {
  return pos >= s.size() || is_blank(s[pos]);
}

int month_number(std::string_view word) {
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m)
    if (equal_ignoring_case(word.substr(0, 3), kMonths[m])) return m + 1;
  return 0;
}

// A label such as "Size:" at `pos`, and the blanks after it.
void skip_label(std::string_view s, size_t& pos, std::string_view label) {
  if (s.size() - pos > label.size() && equal_ignoring_case(s.substr(pos, label.size()), label) &&
      is_blank(s[pos + label.size()]))
    pos = skip_blanks(s, pos + label.size());
}

// DD-Mon-YY or DD Mon YY after the day's `a` (`p` at the separator).
bool read_month_name_date(std::string_view s, size_t start, size_t p, int64_t day,
                          DateField& date) {
  size_t q = s[p] == ' ' ? skip_blanks(s, p) : p + 1;
  size_t w = q;
  while (w < s.size() && is_alpha(s[w])) ++w;
  int month = (w - q == 3) ? month_number(s.substr(q, 3)) : 0;
  if (month == 0 || w >= s.size() || s[w] != s[p]) return false;
  size_t y = s[p] == ' ' ? skip_blanks(s, w) : w + 1;
  int64_t year = 0;
  size_t ny = digits(s, y, 4, year);
  if ((ny != 2 && ny != 4) || (y + ny < s.size() && is_digit(s[y + ny]))) return false;
  date = {};
  date.present = date.month_name = true;
  date.first = static_cast<int>(year);  // year, month, day
  date.second = month;
  date.third = static_cast<int>(day);
  date.wide = ny == 4 ? 1 : 0;
  date.separator = s[p];
  date.column = start + 1;
  date.end = y + ny;
  return true;
}

}  // namespace

bool read_date(std::string_view s, size_t& pos, DateField& date) {
  size_t start = pos;
  skip_label(s, start, "date:");
  int64_t a = 0;
  size_t na = digits(s, start, 4, a);
  if (na == 0) return false;
  size_t p = start + na;
  if (p >= s.size()) return false;
  if (na <= 2 && (s[p] == '-' || s[p] == ' ') && read_month_name_date(s, start, p, a, date)) {
    pos = date.end;
    return true;
  }
  char sep = s[p];
  if (sep != '-' && sep != '/') return false;
  int64_t b = 0, c = 0;
  size_t nb = digits(s, p + 1, 2, b);
  if (nb == 0 || p + 1 + nb >= s.size() || s[p + 1 + nb] != sep) return false;
  size_t q = p + 2 + nb;
  size_t nc = digits(s, q, 4, c);
  if (nc != 2 && nc != 4) return false;
  if ((na == 4 && nc == 4) || na == 3) return false;
  if (q + nc < s.size() && is_digit(s[q + nc])) return false;
  date = {};
  date.present = true;
  date.first = static_cast<int>(a);
  date.second = static_cast<int>(b);
  date.third = static_cast<int>(c);
  date.wide = na == 4 ? 1 : (nc == 4 ? 3 : 0);
  date.separator = sep;
  date.column = start + 1;
  date.end = q + nc;
  pos = q + nc;
  return true;
}

bool read_packed_date(std::string_view s, size_t& pos, DateField& date) {
  int64_t v = 0;
  if (digits(s, pos, 7, v) != 6 || !ends_token(s, pos + 6)) return false;
  date = {};
  date.present = true;
  date.packed = true;
  date.first = static_cast<int>(v / 10000);
  date.second = static_cast<int>(v / 100 % 100);
  date.third = static_cast<int>(v % 100);
  date.column = pos + 1;
  date.end = pos + 6;
  pos += 6;
  return true;
}

bool read_size(std::string_view s, size_t& pos, SizeField& size) {
  size_t start = pos;
  skip_label(s, start, "size:");
  size_t p = start;
  if (p < s.size() && s[p] == '*') ++p;  // a free file
  int64_t value = 0;
  size_t n = digits(s, p, 3, value);
  if (n == 0) {
    size_t e = token_end(s, start);
    std::string_view word = s.substr(start, e - start);
    for (std::string_view w : {"MISSING", "OFFLINE", "(gone)", "(missing)", "(offline)", "DELETED"})
      if (equal_ignoring_case(word, w)) {
        size = {SizeForm::Word, -1, start + 1, e};
        pos = e;
        return true;
      }
    return false;
  }
  size_t q = p + n;
  SizeForm form = SizeForm::Digits;
  bool too_large = false;
  if (n == 3 || q >= s.size() || s[q] != ',') {
    // Plain digits.
    while (q < s.size() && is_digit(s[q])) {
      if (value > kLargestValue) too_large = true;
      if (!too_large) value = value * 10 + (s[q] - '0');
      ++q;
    }
  }
  if (q < s.size() && s[q] == ',' && q - p <= 3) {
    // Thousands separators: groups of exactly three digits.
    while (q + 3 < s.size() && s[q] == ',' && is_digit(s[q + 1]) && is_digit(s[q + 2]) &&
           is_digit(s[q + 3]) && (q + 4 >= s.size() || !is_digit(s[q + 4]))) {
      if (value > kLargestValue) too_large = true;
      if (!too_large)
        value = value * 1000 + (s[q + 1] - '0') * 100 + (s[q + 2] - '0') * 10 + (s[q + 3] - '0');
      q += 4;
      form = SizeForm::Grouped;
    }
    if (form != SizeForm::Grouped) return false;
  }
  size_t end = q;
  // 21k, 21K, 21kb; 21 K, 21 KB; 4096 Bytes
  if (q < s.size() && (s[q] == 'k' || s[q] == 'K')) {
    size_t e = q + 1;
    if (e < s.size() && (s[e] == 'b' || s[e] == 'B')) ++e;
    if (!ends_token(s, e)) return false;
    size = {SizeForm::Kilo, too_large ? -1 : value, start + 1, e};
    pos = e;
    return true;
  }
  if (!ends_token(s, q)) return false;
  size_t w = skip_blanks(s, q);
  size_t we = token_end(s, w);
  std::string_view unit = s.substr(w, we - w);
  if (w > q && w - q <= 2) {
    if (equal_ignoring_case(unit, "bytes") || equal_ignoring_case(unit, "byte")) {
      form = SizeForm::Bytes;
      end = we;
    } else if (equal_ignoring_case(unit, "k") || equal_ignoring_case(unit, "kb")) {
      size = {SizeForm::Kilo, too_large ? -1 : value, start + 1, we};
      pos = we;
      return true;
    }
  }
  size = {form, too_large ? -1 : value, start + 1, end};
  pos = end;
  return true;
}

bool read_time(std::string_view s, size_t& pos) {
  int64_t v = 0;
  size_t p = pos;
  size_t n = digits(s, p, 2, v);
  if (n == 0 || p + n >= s.size() || s[p + n] != ':') return false;
  p += n + 1;
  if (digits(s, p, 2, v) != 2) return false;
  p += 2;
  if (p + 2 < s.size() && s[p] == ':' && digits(s, p + 1, 2, v) == 2) p += 3;
  size_t e = p;
  size_t w = p < s.size() && s[p] == ' ' ? p + 1 : p;
  size_t we = token_end(s, w);
  std::string_view ampm = s.substr(w, we - w);
  if (equal_ignoring_case(ampm, "am") || equal_ignoring_case(ampm, "pm") ||
      equal_ignoring_case(ampm, "a") || equal_ignoring_case(ampm, "p"))
    e = we;
  else if (!ends_token(s, p))
    return false;
  pos = e;
  return true;
}

bool read_counter(std::string_view s, size_t& pos) {
  if (pos >= s.size()) return false;
  char open = s[pos];
  char close = open == '[' ? ']' : open == '(' ? ')' : open == '<' ? '>' : 0;
  if (close == 0) {
    if (equal_ignoring_case(s.substr(pos, 4), "d/l:")) {
      int64_t v = 0;
      size_t p = skip_blanks(s, pos + 4);
      size_t n = digits(s, p, 9, v);
      if (n == 0 || !ends_token(s, p + n)) return false;
      pos = p + n;
      return true;
    }
    return false;
  }
  size_t p = skip_blanks(s, pos + 1);
  int64_t v = 0;
  size_t n = digits(s, p, 9, v);
  if (n == 0) return false;
  p = skip_blanks(s, p + n);
  if (p >= s.size() || s[p] != close) return false;
  pos = p + 1;
  return true;
}

bool read_mark(std::string_view s, size_t& pos) {
  if (pos < s.size() && (s[pos] == '*' || s[pos] == kCheckMark) && ends_token(s, pos + 1)) {
    ++pos;
    return true;
  }
  return false;
}

bool read_glued_mark(std::string_view s, size_t& pos) {
  return pos < s.size() && (s[pos] == '*' || s[pos] == kCheckMark) && read_mark(s, pos);
}

bool looks_like_name(std::string_view name) {
  if (name.empty()) return false;
  char first = name[0];
  bool rule_first = first == '-' || first == '=' || first == '+';
  if (!(is_digit(first) || is_alpha(first) || rule_first || first == '_' || first == '$' ||
        first == '#' || first == '!' || first == '&' || first == '@' || first == '~' ||
        first == '%' || first == '.' || first == '/' || first == '\\' ||
        (static_cast<unsigned char>(first) >= 0x80 && !is_box_drawing(first))))
    return false;
  if (is_rule_name(name)) return false;  // a rule, or one with a header glued on
  bool alnum = false;
  for (char c : name) {
    auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b == 0x7F || c == '*' || c == '?' || c == '<' || c == '>' || c == '|' ||
        c == '"')
      return false;
    if (is_digit(c) || is_alpha(c)) alnum = true;
  }
  if (name.back() == ':') return false;
  return alnum;
}

bool has_extension(std::string_view name) {
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  size_t ext = name.size() - dot - 1;
  return ext >= 1 && ext <= 4;
}

bool is_bare_name(std::string_view name) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (name.empty() || name.size() > 8) return false;
  bool letter = false;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z')
      letter = true;
    else if (!is_digit(c) && c != '_' && c != '-' && c != '$' && c != '!' && c != '#' && c != '&' &&
             c != '@' && c != '~' && c != '%')
      return false;
  }
  return letter;
}

namespace {

// Where a name's token runs straight on into a size: the length of the name
// ("NAME1234.ZIP1,453,364" gives 12), 0 when it does not.
size_t size_run_on(std::string_view s, size_t pos, size_t end) {
  if (has_extension(s.substr(pos, end - pos))) return 0;
  for (size_t k = end - 1; k > pos + 2; --k) {
    std::string_view name = s.substr(pos, k - pos);
    size_t dot = name.rfind('.');
    if (!is_digit(s[k]) || dot == std::string_view::npos || name.size() - dot - 1 > 3 ||
        !has_extension(name) || !looks_like_name(name))
      continue;
    size_t at = k;
    SizeField size;
    if (read_size(s, at, size) && at == end && size.form != SizeForm::Kilo) return k - pos;
  }
  return 0;
}

}  // namespace

bool read_name(std::string_view s, size_t& pos, NameField& field, bool split_size) {
  field = {};
  field.indent = pos;
  if (s[pos] == '"') {
    size_t close = s.find('"', pos + 1);
    if (close == std::string_view::npos || close == pos + 1 || !ends_token(s, close + 1))
      return false;
    field.name.assign(s.substr(pos + 1, close - pos - 1));
    field.quoted = true;
    pos = close + 1;
    return true;
  }
  size_t e = token_end(s, pos);
  if (split_size) {
    if (size_t k = size_run_on(s, pos, e); k > 0) {
      field.name.assign(s.substr(pos, k));
      field.split = true;
      pos += k;
      return true;
    }
  }
  std::string_view name = s.substr(pos, e - pos);
  if (!looks_like_name(name)) return false;
  field.name.assign(name);
  // NOTES   .TXT
  if (name.size() <= 8 && name.find('.') == std::string_view::npos) {
    size_t x = skip_blanks(s, e);
    size_t xe = token_end(s, x);
    if (x > e && x < s.size() && s[x] == '.' && xe - x >= 2 && xe - x <= 4 && x - pos <= 9 &&
        looks_like_name(s.substr(x + 1, xe - x - 1))) {
      field.name.append(s.substr(x, xe - x));
      e = xe;
    }
  }
  pos = e;
  return true;
}

bool parse_entry_shape(std::string_view line, EntryShape& shape) {
  shape = {};
  size_t pos = skip_blanks(line, 0);
  if (pos > 1 || pos >= line.size()) return false;
  if (!read_name(line, pos, shape.name, true)) return false;
  size_t after_name = pos;
  pos = skip_blanks(line, pos);
  shape.gap = pos - after_name;
  if (pos < line.size() && shape.gap == 0 && !shape.name.split) return false;  // a quote glued on

  bool after_date = false;  // the last field read was the date
  while (pos < line.size()) {
    size_t p = pos;
    bool took = false;
    bool label = equal_ignoring_case(line.substr(p, 5), "size:") ||
                 equal_ignoring_case(line.substr(p, 5), "date:");
    if (!shape.date.present && read_date(line, p, shape.date)) {
      shape.date_first = shape.size.form == SizeForm::None;
      took = after_date = true;
      shape.mark |= read_glued_mark(line, p);
    } else if (shape.date.present && !shape.second_date && after_date) {
      DateField second;
      if (read_date(line, p, second)) took = shape.second_date = true;
    }
    if (!took && shape.size.form == SizeForm::None && read_size(line, p, shape.size)) {
      took = true;
      after_date = false;
    } else if (!took && !shape.date.present && shape.size.form != SizeForm::None &&
               read_packed_date(line, p, shape.date)) {
      took = true;
    } else if (!took && !shape.time && shape.date.present && after_date && read_time(line, p)) {
      took = shape.time = true;
    } else if (!took && !shape.counter && read_counter(line, p)) {
      took = shape.counter = true;
    } else if (!took && !shape.mark && read_mark(line, p)) {
      took = shape.mark = true;
    }
    if (!took) break;
    shape.labelled |= label;
    pos = skip_blanks(line, p);
  }
  if (pos < line.size()) {
    shape.text_column = pos + 1;
    shape.text = line.substr(pos);
  }
  return true;
}

bool resolve_date(const DateField& date, DateOrder order, unsigned& year, unsigned& month,
                  unsigned& day) {
  if (!date.present) return false;
  int y, m, d;
  if (date.month_name || date.packed || date.wide == 1 ||
      (date.wide == 0 && order == DateOrder::YearFirst)) {
    y = date.first, m = date.second, d = date.third;
  } else {
    m = date.first, d = date.second, y = date.third;
  }
  if (date.wide == 0) y = listing_year(static_cast<uint16_t>(y));
  if (!is_listing_year(static_cast<unsigned>(y)) || m < 1 || m > 12 || d < 1) return false;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int most = m == 2 && !leap ? 28 : kDays[m - 1];
  if (d > most) return false;
  year = static_cast<unsigned>(y);
  month = static_cast<unsigned>(m);
  day = static_cast<unsigned>(d);
  return true;
}

int date_order_vote(const DateField& date) {
  if (!date.present || date.month_name || date.packed || date.wide != 0) return 0;
  bool month_first = date.first >= 1 && date.first <= 12 && date.second >= 1 && date.second <= 31;
  bool year_first = date.second >= 1 && date.second <= 12 && date.third >= 1 && date.third <= 31;
  if (year_first && !month_first) return 1;
  if (month_first && !year_first) return -1;
  return 0;
}

}  // namespace tolv
