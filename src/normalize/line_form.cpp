#include "normalize/line_form.h"

#include <cstring>

#include "companion/name_doubts.h"
#include "companion/text.h"

namespace tolv {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_blank(char c) {
  return c == ' ';
}

size_t skip_blanks(std::string_view s, size_t pos) {
  while (pos < s.size() && is_blank(s[pos])) ++pos;
  return pos;
}

std::string_view word_at(std::string_view s, size_t from) {
  size_t p = skip_blanks(s, from);
  size_t e = p;
  while (e < s.size() && !is_blank(s[e])) ++e;
  return s.substr(p, e - p);
}

bool is_number(std::string_view w) {
  if (w.empty()) return false;
  for (char c : w)
    if (!is_digit(c) && c != ',') return false;
  return true;
}

// "3", "- 3", ": 3", "# 3", then "of 9", from `from`: where it ends, or npos.
size_t page_number_end(std::string_view line, size_t from) {
  std::string_view w = word_at(line, from);
  size_t at = skip_blanks(line, from);
  if (w == "-" || w == ":" || w == "#" || equal_ignoring_case(w, "no.")) {
    at = skip_blanks(line, at + w.size());
    w = word_at(line, at);
  }
  if (!is_number(w)) return std::string_view::npos;
  size_t end = at + w.size();
  if (equal_ignoring_case(word_at(line, end), "of")) {
    size_t of = skip_blanks(line, end) + 2;
    std::string_view total = word_at(line, of);
    if (is_number(total)) end = skip_blanks(line, of) + total.size();
  }
  return end;
}

// "Page 3" standing alone, first on the line, or last after a gap of two
// blanks or more (a title or a date on the other side).
bool is_page_header(std::string_view line, size_t first) {
  for (size_t at = first; at + 4 <= line.size(); ++at) {
    if ((line[at] | 0x20) != 'p' || !equal_ignoring_case(line.substr(at, 4), "page")) continue;
    bool alone_before =
        at == first || (at >= 2 && is_blank(line[at - 1]) && is_blank(line[at - 2]));
    if (!alone_before || (at + 4 < line.size() && !is_blank(line[at + 4]))) continue;
    size_t end = page_number_end(line, at + 4);
    if (end == std::string_view::npos) continue;
    if (at == first || skip_blanks(line, end) == line.size()) return true;
  }
  return false;
}

bool is_prompt(std::string_view line) {
  for (size_t slash = line.find('/', 2); slash != std::string_view::npos && slash + 2 < line.size();
       slash = line.find('/', slash + 1)) {
    char open = line[slash - 2], yes = line[slash - 1], no = line[slash + 1],
         close = line[slash + 2];
    if (((open == '(' && close == ')') || (open == '[' && close == ']')) &&
        (yes == 'Y' || yes == 'y') && (no == 'N' || no == 'n'))
      return true;
  }
  return false;
}

}  // namespace

bool is_header_word(std::string_view w) {
  if (w.empty() || w.size() > 11 || !std::strchr("nNfFsSbBlLdDuUtT#", w[0])) return false;
  for (std::string_view h :
       {"name", "filename", "file", "files", "size", "bytes", "length", "date", "description",
        "desc", "dl", "dls", "d/l", "downloads", "uploaded", "time", "#dl", "dl's", "uploader"})
    if (equal_ignoring_case(w, h)) return true;
  return false;
}

LineForm line_form(std::string_view line) {
  size_t p = skip_blanks(line, 0);
  if (p == line.size()) return LineForm::Blank;

  // A run of rule characters at the start.
  size_t r = p;
  while (r < line.size() && (is_rule_character(line[r]) || is_blank(line[r]))) ++r;
  size_t rule_chars = 0;
  for (size_t i = p; i < r; ++i) rule_chars += !is_blank(line[i]);
  if (is_box_drawing(line[p]) || rule_chars >= 3) {
    if (r == line.size()) return LineForm::Rule;
    if (rule_chars >= 3 && is_header_word(word_at(line, r))) return LineForm::Rule;
    return LineForm::Banner;
  }

  std::string_view w = word_at(line, p);
  if (w.size() >= 5 && equal_ignoring_case(w.substr(0, 5), "path:")) return LineForm::Banner;
  if (equal_ignoring_case(w, "total") || equal_ignoring_case(w, "totals") ||
      equal_ignoring_case(w, "total:") || equal_ignoring_case(w, "totals:"))
    return LineForm::Totals;

  // Column titles: every word a title word.
  size_t q = p, titles = 0;
  for (;;) {
    std::string_view word = word_at(line, q);
    if (word.empty()) {
      if (titles >= 2) return LineForm::Header;
      break;
    }
    if (!is_header_word(word)) break;
    ++titles;
    q = skip_blanks(line, q) + word.size();
  }

  if (is_page_header(line, p)) return LineForm::Page;

  // "12 files, 3,456 bytes"
  if (is_number(w)) {
    std::string_view next = word_at(line, p + w.size());
    if (equal_ignoring_case(next, "files") || equal_ignoring_case(next, "files,") ||
        equal_ignoring_case(next, "file(s)"))
      return LineForm::Totals;
  }
  if (is_prompt(line)) return LineForm::Prompt;
  return LineForm::Text;
}

}  // namespace tolv
