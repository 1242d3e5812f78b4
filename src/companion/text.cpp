#include "companion/text.h"

#include <algorithm>
#include <cstring>

namespace tolv {

std::string plural(int64_t n, std::string_view one, std::string_view many) {
  if (n == 1) return std::string(one);
  if (many.empty()) return std::string(one) + "s";
  return std::string(many);
}

std::string counted(int64_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + plural(n, one, many);
}

bool is_control(uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

void append_hex_escape(std::string& out, unsigned char byte) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

std::string escape_controls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t run = 0;  // start of the bytes not yet copied
  for (size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != 0x7F) continue;
    out.append(text.substr(run, i - run));
    append_hex_escape(out, byte);
    run = i + 1;
  }
  out.append(text.substr(run));
  return out;
}

std::string quoted(std::string_view text) {
  std::string out(1, '\'');
  out += escape_controls(text);
  out += '\'';
  return out;
}

size_t utf8_sequence(std::string_view text, uint32_t& code) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.empty()) return 0;
  unsigned char lead = byte(0);
  if (lead < 0x80) {
    code = lead;
    return 1;
  }
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || text.size() < length) return 0;
  uint32_t value = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(i) & 0x3F);
  }
  static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
    return 0;
  code = value;
  return length;
}

std::string terminal_text(std::string_view text, bool utf8) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    uint32_t code = static_cast<unsigned char>(text[0]);
    size_t length = utf8 ? utf8_sequence(text, code) : 1;
    if (length == 0 || is_control(code)) {
      append_hex_escape(out, static_cast<unsigned char>(text[0]));
      length = 1;
    } else {
      out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

char fold_case(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char upper_case(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string folded(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = fold_case(c);
  return out;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return fold_case(x) == fold_case(y); });
}

std::string errno_text(int error) {
  return strerror(error);
}

std::string cannot(std::string_view verb, std::string_view path, int error) {
  std::string text = "cannot ";
  text.append(verb).append(" '").append(path).append("': ");
  return text + errno_text(error);
}

}  // namespace tolv
