// The lines of a listing as tolvconv reads them, written: the one place
// that puts a name, a size, a date and text into their columns.
//
//   NAME        SIZE-----  MM-DD-YY  first description line
//                                 | each further line
#pragma once

#include <string>
#include <string_view>

namespace tolv {

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
