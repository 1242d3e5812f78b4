#include "normalize/description_text.h"

#include <algorithm>

namespace tolv {
namespace {

constexpr unsigned char kCtrlA = 0x01;
constexpr unsigned char kCtrlC = 0x03;
constexpr unsigned char kEsc = 0x1B;

bool is_digit(unsigned char c) {
  return c >= '0' && c <= '9';
}

bool is_hex(unsigned char c) {
  return is_digit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool is_alnum(unsigned char c) {
  return is_digit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The bytes that can begin a colour code or must be dropped; every other
// byte is copied as it is.
bool is_special(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '@' || c == '|' || c == '`';
}

// Whether the "@" at `at` is the one of an e-mail address: an address
// character before it, then letters, digits and hyphens up to a "." that a
// letter or digit follows.
bool in_mail_address(std::string_view text, size_t at) {
  if (at == 0) return false;
  unsigned char before = text[at - 1];
  if (!is_alnum(before) && before != '.' && before != '_' && before != '-' && before != '+')
    return false;
  size_t i = at + 1;
  while (i < text.size() && (is_alnum(text[i]) || text[i] == '-')) ++i;
  return i + 1 < text.size() && text[i] == '.' && is_alnum(text[i + 1]);
}

// The length of the colour code that begins at `at`, 0 when none does.
size_t colour_code_length(std::string_view text, size_t at) {
  size_t left = text.size() - at;
  auto byte = [&](size_t k) -> unsigned char { return k < left ? text[at + k] : 0; };
  switch (byte(0)) {
    case '@':
      if ((byte(1) == 'X' || byte(1) == 'x') && is_hex(byte(2)) && is_hex(byte(3)))
        return in_mail_address(text, at) ? 0 : 4;
      if (is_hex(byte(1)) && is_hex(byte(2)) && byte(3) == '@') return 4;
      return 0;
    case '|':
      if (is_digit(byte(1)) && is_digit(byte(2)) && !is_digit(byte(3)) &&
          (byte(1) - '0') * 10 + (byte(2) - '0') <= 31)
        return 3;
      return 0;
    case '`':
      if (is_digit(byte(1)) && is_hex(byte(2)) && !is_digit(byte(3)) && byte(3) != '\'') return 3;
      return 0;
    case kCtrlC:
      return is_digit(byte(1)) ? 2 : 0;
    case kCtrlA:
      return byte(1) >= 0x21 && byte(1) <= 0x7E ? 2 : 0;
    case kEsc: {
      if (byte(1) != '[') return 0;
      size_t k = 2;
      while (byte(k) >= 0x30 && byte(k) <= 0x3F) ++k;
      while (byte(k) >= 0x20 && byte(k) <= 0x2F) ++k;
      return byte(k) >= 0x40 && byte(k) <= 0x7E ? k + 1 : 0;
    }
    default:
      return 0;
  }
}

}  // namespace

namespace {

// One pass from the left; `codes` counts the colour codes removed.
std::string clean_once(std::string_view text, bool keep_colours, int64_t& codes) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t plain = i;
    while (plain < text.size() && !is_special(text[plain])) ++plain;
    out.append(text, i, plain - i);
    i = plain;
    if (i == text.size()) break;
    if (size_t length = colour_code_length(text, i)) {
      if (keep_colours)
        out.append(text, i, length);
      else
        ++codes;
      i += length;
      continue;
    }
    unsigned char c = text[i++];
    if (c == '\t')
      out += ' ';
    else if (c >= 0x20 && c != 0x7F)
      out += static_cast<char>(c);
  }
  return out;
}

}  // namespace

std::string clean_description(std::string_view text, bool keep_colours, int64_t* removed) {
  int64_t codes = 0;
  std::string out = clean_once(text, keep_colours, codes);
  // What a removal brings together can be a code again ("@X@X0F0F"): clean
  // until nothing changes, so the result cleans to itself.
  for (size_t before = text.size(); out.size() < before;) {
    before = out.size();
    out = clean_once(out, keep_colours, codes);
  }
  if (removed) *removed = codes;
  return out;
}

std::vector<std::string> wrap_description(std::string_view text, size_t width, size_t max_lines,
                                          bool* cut) {
  width = std::max<size_t>(width, 1);
  std::vector<std::string> lines;
  lines.reserve(std::min(max_lines, text.size() / width + 1));
  bool left_out = false;
  // Places one word (or piece of a word, at most `width` bytes) after the
  // last line's words, or on a line of its own; false when the limit stops it.
  auto place = [&](std::string_view word) {
    if (!lines.empty() && lines.back().size() + 1 + word.size() <= width) {
      lines.back() += ' ';
      lines.back().append(word);
      return true;
    }
    if (lines.size() == max_lines) return false;
    lines.emplace_back();
    lines.back().reserve(width);
    lines.back().append(word);
    return true;
  };
  size_t i = 0;
  while (!left_out) {
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size()) break;
    size_t end = text.find(' ', i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(i, end - i);
    i = end;
    while (!word.empty() && !left_out) {
      std::string_view piece = word.substr(0, width);
      left_out = !place(piece);
      word.remove_prefix(piece.size());
    }
  }
  if (cut) *cut = left_out;
  return lines;
}

}  // namespace tolv
