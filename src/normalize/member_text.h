// The text of an archive's description member (FILE_ID.DIZ, DESC.SDI) as
// an entry's description lines. Its author laid it out line by line, often
// as art, so its lines stay lines: each keeps its leading blanks where it
// fits a description line, and only a longer one is wrapped at its words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// The lines of `bytes`, a description member's contents: the text ends at
// a Ctrl-Z; lines end at CR LF, LF or CR; each line is cleaned as listing
// text is (description_text.h: colour codes, unless keep_colours, and
// control bytes removed; CP437 bytes kept) and loses its trailing blanks.
// A line of at most 50 bytes is kept whole, a longer one wrapped into lines
// of 50; empty lines at the start and the end are dropped, those between
// kept. At most `max_lines` lines: `cut`, when not null, tells whether a
// line with text was left out.
std::vector<std::string> member_description_lines(std::string_view bytes, bool keep_colours,
                                                  size_t max_lines, bool* cut = nullptr);

}  // namespace tolv
