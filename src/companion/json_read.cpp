#include "companion/json_read.h"

#include <limits>

namespace tolv {

namespace {

constexpr int kMaxDepth = 16;

struct Reader {
  std::string_view line;
  size_t at = 0;
  std::string error;
};

bool fail(Reader& r, std::string_view what) {
  if (r.error.empty()) r.error = std::string(what) + " at byte " + std::to_string(r.at + 1);
  return false;
}

void skip_blanks(Reader& r) {
  while (r.at < r.line.size() && (r.line[r.at] == ' ' || r.line[r.at] == '\t')) ++r.at;
}

bool take(Reader& r, char c) {
  skip_blanks(r);
  if (r.at < r.line.size() && r.line[r.at] == c) return ++r.at, true;
  return false;
}

bool take_word(Reader& r, std::string_view word) {
  if (r.line.substr(r.at, word.size()) != word) return fail(r, "an unknown word");
  r.at += word.size();
  return true;
}

void append_utf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | code >> 18);
    out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

bool hex4(Reader& r, uint32_t& unit) {
  unit = 0;
  for (int i = 0; i < 4; ++i, ++r.at) {
    char c = r.at < r.line.size() ? r.line[r.at] : '\0';
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) return fail(r, "a \\u escape without four hex digits");
    unit = unit << 4 | static_cast<uint32_t>(digit);
  }
  return true;
}

// The escape after a backslash: \uXXXX (a surrogate pair, or \udcXX for the
// byte XX) or one of the short ones.
bool escape(Reader& r, std::string& out) {
  char c = r.at < r.line.size() ? r.line[r.at++] : '\0';
  static const std::string_view kShort = "\"\"\\\\//b\bf\fn\nr\rt\t";
  for (size_t i = 0; i < kShort.size(); i += 2)
    if (c == kShort[i]) return out += kShort[i + 1], true;
  if (c != 'u') return --r.at, fail(r, "an unknown escape");
  uint32_t unit = 0;
  if (!hex4(r, unit)) return false;
  if (unit >= 0xDC80 && unit <= 0xDCFF) return out += static_cast<char>(unit - 0xDC00), true;
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    uint32_t low = 0;
    if (r.line.substr(r.at, 2) != "\\u") return fail(r, "half a surrogate pair");
    r.at += 2;
    if (!hex4(r, low)) return false;
    if (low < 0xDC00 || low > 0xDFFF) return fail(r, "half a surrogate pair");
    append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    return true;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) return fail(r, "half a surrogate pair");
  append_utf8(out, unit);
  return true;
}

bool string_value(Reader& r, std::string& out) {
  if (!take(r, '"')) return fail(r, "no string");
  while (r.at < r.line.size()) {
    char c = r.line[r.at++];
    if (c == '"') return true;
    if (static_cast<unsigned char>(c) < 0x20) return --r.at, fail(r, "a control byte in a string");
    if (c != '\\')
      out += c;
    else if (!escape(r, out))
      return false;
  }
  return fail(r, "a string cut short");
}

bool number_value(Reader& r, int64_t& number) {
  bool negative = r.at < r.line.size() && r.line[r.at] == '-';
  if (negative) ++r.at;
  size_t start = r.at;
  uint64_t magnitude = 0;
  constexpr uint64_t kLimit = std::numeric_limits<int64_t>::max();
  for (; r.at < r.line.size() && r.line[r.at] >= '0' && r.line[r.at] <= '9'; ++r.at) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(r.line[r.at] - '0');
    if (magnitude > kLimit) return fail(r, "a number too large");
  }
  if (r.at == start) return fail(r, "no value");
  if (r.at < r.line.size() && (r.line[r.at] == '.' || r.line[r.at] == 'e' || r.line[r.at] == 'E'))
    return fail(r, "a number that is not whole");
  number = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool value(Reader& r, JsonValue& v, int depth);

// The items of an array or the members of an object, after its bracket.
bool contents(Reader& r, JsonValue& v, int depth, char close) {
  if (take(r, close)) return true;
  do {
    if (close == '}') {
      v.names.emplace_back();
      if (!string_value(r, v.names.back())) return false;
      if (!take(r, ':')) return fail(r, "no ':' after a member's name");
      v.items.emplace_back();
      if (!value(r, v.items.back(), depth + 1)) return false;
    } else {
      v.items.emplace_back();
      if (!value(r, v.items.back(), depth + 1)) return false;
    }
  } while (take(r, ','));
  if (!take(r, close))
    return fail(r, r.at < r.line.size() ? "no ',' between values" : "a line cut short");
  return true;
}

bool value(Reader& r, JsonValue& v, int depth) {
  if (depth > kMaxDepth) return fail(r, "nesting too deep");
  skip_blanks(r);
  if (r.at >= r.line.size()) return fail(r, "a line cut short");
  switch (r.line[r.at]) {
    case '{':
      ++r.at;
      v.kind = JsonValue::Kind::Object;
      return contents(r, v, depth, '}');
    case '[':
      ++r.at;
      v.kind = JsonValue::Kind::Array;
      return contents(r, v, depth, ']');
    case '"':
      v.kind = JsonValue::Kind::Text;
      return string_value(r, v.text);
    case 't':
    case 'f':
      v.kind = JsonValue::Kind::Boolean;
      v.boolean = r.line[r.at] == 't';
      return take_word(r, v.boolean ? "true" : "false");
    case 'n':
      v.kind = JsonValue::Kind::Null;
      return take_word(r, "null");
    default:
      v.kind = JsonValue::Kind::Number;
      return number_value(r, v.number);
  }
}

}  // namespace

bool parse_json_line(std::string_view line, JsonValue& v, std::string& error) {
  Reader r{line, 0, {}};
  v = JsonValue{};
  bool read = value(r, v, 0);
  skip_blanks(r);
  if (read && r.at < line.size()) read = fail(r, "more after the value");
  error = r.error;
  return read;
}

const JsonValue* json_member(const JsonValue& object, std::string_view name) {
  for (size_t i = 0; i < object.names.size(); ++i)
    if (object.names[i] == name) return &object.items[i];
  return nullptr;
}

}  // namespace tolv
