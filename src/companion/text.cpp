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

namespace {

// How a text's bytes are taken as characters, each of which is escaped
// whole (byte by byte) or passes whole.
enum class Reading {
  Mixed,  // valid UTF-8 sequences, else single bytes: the rule
  Utf8,   // valid UTF-8 sequences; any other byte is escaped
  Bytes,  // single bytes, for a terminal that is not UTF-8
  Cp437,  // single bytes, of which only C0 and DEL are controls
};

void append_escaped(std::string& out, std::string_view text, Reading reading) {
  out.reserve(out.size() + text.size());
  size_t run = 0;  // start of the bytes that pass, not yet copied
  size_t at = 0;
  while (at < text.size()) {
    auto lead = static_cast<unsigned char>(text[at]);
    uint32_t code = lead;
    bool sequences = reading == Reading::Mixed || reading == Reading::Utf8;
    size_t length = sequences ? utf8_sequence(text.substr(at), code) : 0;
    bool escape = is_control(code);
    if (length == 0) {
      length = 1;
      if (reading == Reading::Utf8) escape = true;
      if (reading == Reading::Cp437) escape = lead < 0x20 || lead == 0x7F;
    }
    if (escape) {
      out.append(text.substr(run, at - run));
      for (size_t i = at; i < at + length; ++i)
        append_hex_escape(out, static_cast<unsigned char>(text[i]));
      run = at + length;
    }
    at += length;
  }
  out.append(text.substr(run));
}

std::string escaped(std::string_view text, Reading reading, std::string_view quote = {}) {
  std::string out(quote);
  append_escaped(out, text, reading);
  out += quote;
  return out;
}

}  // namespace

std::string escape_controls(std::string_view text) {
  return escaped(text, Reading::Mixed);
}

std::string quoted(std::string_view text) {
  return escaped(text, Reading::Mixed, "'");
}

std::string escape_line_controls(std::string_view text) {
  return escaped(text, Reading::Cp437);
}

std::string quoted_cp437(std::string_view text) {
  return escaped(text, Reading::Cp437, "'");
}

void append_terminal_text(std::string& out, std::string_view text, bool utf8) {
  append_escaped(out, text, utf8 ? Reading::Utf8 : Reading::Bytes);
}

std::string terminal_text(std::string_view text, bool utf8) {
  return escaped(text, utf8 ? Reading::Utf8 : Reading::Bytes);
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
