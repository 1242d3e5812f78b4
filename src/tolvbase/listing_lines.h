// One record as the lines of a PCBoard listing, in the columns tolvconv
// reads, each ended by CR LF, the bytes as stored:
//
//   NAME        SIZE-----  MM-DD-YY  first description line
//                                 | each further line
//
// The name from column 1, padded to column 12; the size right-aligned in
// columns 13-21; the date in columns 24-31; the text from column 34; a
// further line is 31 spaces, '|' and a space, then its text.
//
// Each line is read back with the listing reader's own field rules, and
// whatever a conversion of it would not give back as stored is named, with
// why, in a reason. Such a record is still written as closely as the columns
// allow: a line end in a text becomes a space (so it cannot start a line of
// its own), a name too long for its columns is cut, a date that no listing
// date gives is written as the nearest one.
#pragma once

#include <string>
#include <vector>

#include "filebase/record.h"

namespace tolv {

// Appends the record's lines to `out`; `lines` are its description lines
// as read (fewer than DescLines when its description is damaged).
void append_listing_lines(std::string& out, const FileRecord& record,
                          const std::vector<std::string>& lines, std::vector<std::string>& reasons);

}  // namespace tolv
