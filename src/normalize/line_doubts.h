// The preview's judgement of single listing lines, each taken on its own:
// what a file entry line, a continuation line or a skipped line holds that
// tolvconv reads otherwise than a person would. What depends on the lines
// around (repeats, lost continuations, the layout) is preview.cpp's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "normalize/doubt.h"

namespace tolv {

struct LineDoubt {
  Doubt kind;
  std::string message;
};

// A file entry line. True when it is a separator: a rule or header row, of
// which nothing else is judged.
bool doubt_entry_line(std::string_view line, std::vector<LineDoubt>& doubts);

// Description text from column 34 that loses characters past its 50th.
void doubt_text(std::string_view text, std::vector<LineDoubt>& doubts);

// A Ctrl-Z with more text after it, on a line of any kind.
void doubt_ctrl_z(std::string_view line, std::vector<LineDoubt>& doubts);

// Other layouts a line's shape suggests.
enum class Layout {
  None,
  FilesBbs,    // NAME.EXT and a description, no size or date
  SlashDates,  // a file entry with its date written MM/DD/YY
  LongYears,   // a file entry with a four-digit year
  Shifted,     // a file entry whose date sits in other columns
  CommaSizes,  // a file entry line whose size has thousands separators
};
inline constexpr int kLayouts = 6;
const char* layout_text(Layout layout);

// A comma in columns 13-21 of a file entry line that the size parse refuses.
bool has_comma_size(std::string_view line);

// What a skipped line looks like.
enum class Shape {
  Blank,     // nothing but blanks
  Include,   // '%' and a file name
  NearMiss,  // a name, a number and a date, in other columns
  Bar,       // first visible character '|' (bar_column says where)
  Indented,  // text that starts past the name columns
  FilesBbs,  // NAME.EXT and a description
  Other,
};

struct SkippedLine {
  Shape shape = Shape::Other;
  Layout layout = Layout::None;
  size_t bar_column = 0;  // for Bar
  std::string message;    // for Include and NearMiss
};

SkippedLine judge_skipped_line(std::string_view line);

}  // namespace tolv
