// A text table for the companions' summaries: one row a line, columns two
// spaces apart, sized to their cells and to a width, never wrapped; and
// text wrapped to a width for the lines around it. Cells are text as it is
// to be shown (controls already escaped); widths count characters, in UTF-8
// when the table is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolv {

enum class Align { Left, Right };

// Where a cell too wide for its column loses characters, "..." marking the
// cut: at its end (a description); at its start (a path, whose end says
// most: its file, then the directory above); or, for a path whose last
// component tells it from the others (a base, named apart from every other
// base), at its start down to that component, then in the middle of it:
// names made to differ (PCB-GAMES and OLD-GAMES, NAME-1A2B3C4D and
// NAME-5E6F7A8B) differ at their start or their end. A column that cannot
// be cut is as wide as its widest cell.
enum class Cut { Never, AtEnd, AtStart, Distinct };

struct Column {
  std::string_view heading;
  Align align = Align::Left;
  Cut cut = Cut::Never;
  size_t width = 0;  // at least the heading's; set by size_table
};

struct Table {
  std::vector<Column> columns;  // the last is never padded
  bool utf8 = false;
};

// The width of `text` in characters.
size_t text_width(std::string_view text, bool utf8);

// Widens each column to its heading and to the cells of `rows` (an empty
// cell says nothing). With `columns` (0: any width) the widest column that
// can be cut then gives way, a character at a time, until a row fits or
// none is wider than eight. True when a row fits.
bool size_table(Table& table, const std::vector<std::vector<std::string>>& rows, int columns);

// The headings, and one row; each ends in a line end.
std::string table_heading(const Table& table);
std::string table_row(const Table& table, const std::vector<std::string>& cells);

// `text` cut as a column of `width` characters cuts it; as it is when it
// fits. A width under 5 leaves the mark and what fits of the text.
std::string cut_text(std::string_view text, size_t width, Cut cut, bool utf8);

// `text` broken into lines of at most `width` characters, at its blanks
// (which go), a word wider than a line at the width; no character is lost
// but the blanks at the breaks. One line when `width` is 0.
std::vector<std::string> wrap_text(std::string_view text, size_t width, bool utf8);

// The width a table is written for when none is given: COLUMNS when it
// holds a number from 1 up, else the width of the terminal on standard
// output; 0 when there is neither.
int environment_columns();

}  // namespace tolv
