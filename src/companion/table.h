// A text table for the companions' summaries: one row a line, columns two
// spaces apart, sized to their cells and, on a terminal, to its width, never
// wrapped. Cells are text as it is to be shown (controls already escaped);
// widths count characters, in UTF-8 when the table is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolv {

enum class Align { Left, Right };

// Where a cell too wide for its column loses characters, "..." marking the
// cut: at its end (a description) or at its start (a path, whose last part
// says most). A column that cannot be cut is as wide as its widest cell.
enum class Cut { Never, AtEnd, AtStart };

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
// cell says nothing). With `terminal_columns` (0: not a terminal) the widest
// column that can be cut then gives way, a character at a time, until a row
// fits or none is wider than eight.
void size_table(Table& table, const std::vector<std::vector<std::string>>& rows,
                int terminal_columns);

// The headings, and one row; each ends in a line end.
std::string table_heading(const Table& table);
std::string table_row(const Table& table, const std::vector<std::string>& cells);

// The width of the terminal on standard output, 0 when it is none.
int terminal_columns();

}  // namespace tolv
