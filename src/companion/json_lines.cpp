#include "companion/json_lines.h"

#include "companion/text.h"

namespace tolv {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void append_code_unit(std::string& out, unsigned unit) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

void append_member_name(std::string& out, std::string_view name) {
  if (out.empty() || out.back() != '{') out += ", ";
  out += '"';
  out += name;
  out += "\": ";
}

}  // namespace

void append_json_string(std::string& out, std::string_view bytes) {
  out += '"';
  size_t at = 0;
  while (at < bytes.size()) {
    // Printable ASCII but the quote and the backslash passes in one run.
    size_t plain = at;
    while (plain < bytes.size()) {
      auto c = static_cast<unsigned char>(bytes[plain]);
      if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') break;
      ++plain;
    }
    out.append(bytes.substr(at, plain - at));
    at = plain;
    if (at == bytes.size()) break;
    auto byte = static_cast<unsigned char>(bytes[at]);
    uint32_t code = 0;
    size_t length = utf8_sequence(bytes.substr(at), code);
    if (length == 0) {
      append_code_unit(out, 0xDC00 + byte);
      length = 1;
    } else if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (is_control(code)) {
      // DEL and the C1 controls too, as a terminal showing the line would
      // act on them; the value read back is the same.
      static const char kShort[] = "btn\0fr";  // bytes 8 to 13
      if (byte >= '\b' && byte <= '\r' && kShort[byte - '\b'] != '\0') {
        out += '\\';
        out += kShort[byte - '\b'];
      } else {
        append_code_unit(out, code);
      }
    } else {
      out.append(bytes.substr(at, length));
    }
    at += length;
  }
  out += '"';
}

void json_begin(std::string& out) {
  out += '{';
}

void json_text(std::string& out, std::string_view name, std::string_view text) {
  append_member_name(out, name);
  append_json_string(out, text);
}

void json_number(std::string& out, std::string_view name, int64_t value) {
  append_member_name(out, name);
  out += std::to_string(value);
}

void json_count(std::string& out, std::string_view name, int64_t value) {
  if (value < 0)
    json_null(out, name);
  else
    json_number(out, name, value);
}

void json_bool(std::string& out, std::string_view name, bool value) {
  append_member_name(out, name);
  out += value ? "true" : "false";
}

void json_null(std::string& out, std::string_view name) {
  append_member_name(out, name);
  out += "null";
}

void json_texts(std::string& out, std::string_view name, const std::vector<std::string>& texts) {
  append_member_name(out, name);
  out += '[';
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) out += ", ";
    append_json_string(out, texts[i]);
  }
  out += ']';
}

void json_end(std::string& out) {
  out += "}\n";
}

}  // namespace tolv
