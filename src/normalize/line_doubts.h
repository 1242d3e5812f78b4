// The preview's judgement of single listing lines by tolvconv's own
// columns: what a file entry line or a continuation line holds that
// tolvconv reads otherwise than a person would. What depends on the lines
// around (repeats, lost continuations) and on how the normalizer reads them
// (the layout, near misses) is preview.cpp's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "normalize/doubt.h"
#include "normalize/line_fields.h"

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

// The near-miss finding of a line that reads as a file entry with a size
// and `date`, which tolvconv skips because the date is not in its columns.
std::string near_miss_message(std::string_view name, std::string_view line, const DateField& date,
                              bool leading_blank);

// A '%' line, which PCBoard replaces by the text of the file it names:
// true with the finding's message.
bool is_include_line(std::string_view line, std::string& message);

}  // namespace tolv
