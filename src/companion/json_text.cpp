#include "companion/json_text.h"

namespace tolv {

void append_json_string(std::string& out, std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += kHex[byte >> 4];
          out += kHex[byte & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

namespace {

void append_name(std::string& out, const char* name) {
  out += ", \"";
  out += name;
  out += "\": ";
}

}  // namespace

void append_json_text_member(std::string& out, const char* name, std::string_view text) {
  append_name(out, name);
  append_json_string(out, text);
}

void append_json_number_member(std::string& out, const char* name, int64_t value,
                               bool negative_is_null) {
  append_name(out, name);
  out += negative_is_null && value < 0 ? "null" : std::to_string(value);
}

}  // namespace tolv
