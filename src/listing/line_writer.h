// The lines of a listing as tolvconv reads them, written: the one place
// that puts a name, a size, a date and text into their columns.
//
//   NAME        SIZE-----  MM-DD-YY  first description line
//                                 | each further line
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "listing/columns.h"

namespace tolv {

// Every line a companion writes for tolvconv ends with CR LF, as the DIR
// files of the boards do.
inline constexpr std::string_view kListingLineEnd = "\r\n";

// The name's columns: those before the size.
inline constexpr size_t kNameColumns = kSizeField.column - 1;

// The largest size the nine size columns hold in decimal.
inline constexpr int64_t kLargestListedSize = 999'999'999;

// How many characters of a name an entry line carries before a size of
// `size_width` characters: all the name's columns, or one fewer when the
// size fills its columns, since a blank must end the name.
inline constexpr size_t name_room(size_t size_width) {
  return size_width < kSizeField.width ? kNameColumns : kNameColumns - 1;
}

// Sets `line` to an entry line's columns 1-31: the name from column 1,
// blanks to column 12, the size right-aligned to column 21 (columns 13-21),
// the date from column 24. A name or size too wide for its columns is
// written whole; the caller reads the line back to see what it gives.
void start_entry_line(std::string& line, std::string_view name, std::string_view size,
                      std::string_view date);

// Sets `line` to a continuation line's columns 1-33: blanks, '|' in
// column 32, a blank.
void start_continuation_line(std::string& line);

// Blanks up to column 33, then `text` from column 34.
void append_line_text(std::string& line, std::string_view text);

}  // namespace tolv
