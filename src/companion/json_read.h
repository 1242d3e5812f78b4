// One line of JSON Lines read back, for the files the companions keep and
// read again (tolvboard's journal). It takes what json_lines.h writes:
// objects, arrays, strings, whole numbers, true, false and null, and turns
// a string's \udcXX escape back into the byte XX it stands for, so a file
// name comes back with its bytes. A number with a fraction or an exponent,
// a control byte inside a string, nesting deeper than 16, and anything but
// blanks after the value are refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

struct JsonValue {
  enum class Kind { Null, Boolean, Number, Text, Array, Object };
  Kind kind = Kind::Null;
  bool boolean = false;
  int64_t number = 0;
  std::string text;  // a string's bytes
  // An array's items, or an object's member values in the order written,
  // `names` holding their names: a pair of a name and a value would need
  // this type complete inside its own definition.
  std::vector<JsonValue> items;
  std::vector<std::string> names;
};

// Reads the one value of `line`; false, with `error` saying what and at
// which byte (from 1), when it is not JSON as above.
bool parse_json_line(std::string_view line, JsonValue& value, std::string& error);

// The member `name` of an object (the first of that name), or null.
const JsonValue* json_member(const JsonValue& object, std::string_view name);

}  // namespace tolv
