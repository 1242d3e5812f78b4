// The file areas of a board, as a DIR.LST names them or as a plain area file
// lists them for a board without one.
//
// A DIR.LST is a sequence of 96-byte records without a header; record n,
// from 0, is file area n + 1:
//
//   offset  width  field
//        0     30  DirPath   the area's DIR listing, a DOS path
//       30     30  DskPath   where the area's files lie
//       60     35  DirDesc   the area's description
//       95      1  SortType  how the board sorts the listing (not used)
//
// Its strings are CP437, padded with spaces; a NUL or a Ctrl-Z ends one early.
// A file whose size is not a whole number of records, or whose strings hold
// a control byte (a line end, say) before their end, is no DIR.LST: a text
// file given by mistake, or a damaged one. It is refused whole.
//
// An area file has one area a line: the listing's path, then optionally a
// TAB and a description, and a TAB and the directory of the area's files (a
// path of this system). Empty lines and lines starting with '#' are
// skipped; the areas are numbered from 1 in the order of their lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

inline constexpr size_t kDirListRecordSize = 96;

struct Area {
  int number = 0;
  std::string listing_path;  // as the list spells it: a DOS path, or a path of this system
  std::string disk_path;     // where its files lie: DskPath, or an area file's third field
  std::string description;
  bool cp437 = true;  // its text is CP437 (a DIR.LST), else as written (an area file)
};

// The areas of a DIR.LST's bytes; none, with `refusal` saying why (which
// record, which field), when the bytes are not a DIR.LST.
std::vector<Area> parse_dir_list(std::string_view bytes, std::string& refusal);

inline constexpr size_t kAreaFileFields = 3;  // LISTING, DESCRIPTION, FILES

// The areas of an area file's bytes; none, with `bad_line` the number of the
// first line (from 1) that has more fields than kAreaFileFields, when there
// is one, else `bad_line` is 0.
std::vector<Area> parse_area_file(std::string_view bytes, int64_t& bad_line);

}  // namespace tolv
