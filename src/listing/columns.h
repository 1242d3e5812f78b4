// Where the fields of a listing line lie: columns counted in bytes from 1.
// A column past the end of a line holds no character.
//
//   1-       file name, up to the first space of the line
//   13-21    size, right-aligned
//   24-31    date, MM-DD-YY; '-' in columns 26 and 29 makes a file entry line
//   32       '|' makes a continuation line
//   34-      description text
#pragma once

#include <cstddef>
#include <string_view>

namespace tolv {

struct Field {
  size_t column;  // first column
  size_t width;   // columns at most
};

inline constexpr Field kSizeField{13, 9};
inline constexpr Field kDateField{24, 8};
inline constexpr size_t kDashColumns[] = {26, 29};
inline constexpr size_t kBarColumn = 32;
inline constexpr size_t kTextColumn = 34;

// True when column `column` of `line` holds `c`.
inline bool holds(std::string_view line, size_t column, char c) {
  return line.size() >= column && line[column - 1] == c;
}

// The characters of `field`, fewer when the line ends inside it, none past
// its end.
inline std::string_view field_text(std::string_view line, Field field) {
  if (line.size() < field.column) return {};
  return line.substr(field.column - 1, field.width);
}

}  // namespace tolv
