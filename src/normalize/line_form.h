// The kinds of line that are a listing's furniture rather than its files:
// blank lines, rules, column titles, banners, totals, page headers and a
// caller's prompts. A line is asked this only once it has not read as an
// entry of the listing's layout: "TOTAL.ZIP", "---FIX.ZIP" or an entry whose
// text ends in "page 3" stay entries.
#pragma once

#include <string_view>

namespace tolv {

enum class LineForm {
  Text,    // anything else
  Blank,   // nothing but blanks
  Rule,    // dashes, equals, box drawing; a header glued to a rule too
  Header,  // column titles: "Name  Size  Date  Description"
  Banner,  // an area banner: "====[ Dir 2 ]====", "path: \x\y"
  Totals,  // "Total files: 84", "12 files, 3,456 bytes"
  Page,    // a printed catalog's page header: "Page 3", "Page - 3", "Page 3 of 9"
  Prompt,  // a caller's session: "More (Y/n)?"
};

LineForm line_form(std::string_view line);

// True for a word of a column title row ("Name", "Size", "D/L", ...).
bool is_header_word(std::string_view word);

}  // namespace tolv
