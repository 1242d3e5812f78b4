// A listing line of any layout read into typed fields with their columns:
// the name, then whatever of size, date, time, counter and new-file mark
// follows it, in any order, then the text. What a field is does not depend
// on the layout; which fields a layout's entry lines hold does (layouts.h).
//
// Columns count from 1; TABs are expanded before a line gets here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

enum class SizeForm {
  None,
  Digits,   // 4096
  Grouped,  // 4,096 (or 4.096)
  Bytes,    // 4096 Bytes
  Kilo,     // 4k, 4 KB: not a byte count
  Word,     // MISSING, OFFLINE, (gone): the file is not there
};

// Where a date's year stands, for the all-numeric forms.
enum class DateOrder { MonthFirst, YearFirst };

struct DateField {
  bool present = false;
  bool month_name = false;  // DD-Mon-YY or DD Mon YY: the order is certain
  bool packed = false;      // YYMMDD
  // The numbers as written, left to right; `wide` says which one had four
  // digits (0 none, 1 the first, 3 the last).
  int first = 0, second = 0, third = 0;
  int wide = 0;
  size_t column = 0;  // of its first character
};

struct SizeField {
  SizeForm form = SizeForm::None;
  int64_t value = -1;  // bytes, or K for Kilo; -1 when too large to hold
  size_t column = 0;   // of its first character
  size_t end = 0;      // column of its last character
};

// The fields an entry line may hold; a parse looks for these only.
struct FieldSet {
  bool size = true;
  bool date = true;
  bool time = true;
  bool counter = true;
  bool mark = true;
};

struct EntryShape {
  size_t indent = 0;  // blanks before the name
  std::string name;   // "NOTES   .TXT" joined to NOTES.TXT; a quoted name unquoted
  bool quoted = false;
  size_t gap = 0;  // blanks after the name
  SizeField size;
  DateField date;
  bool date_first = false;  // the date stands before the size
  bool time = false;
  bool counter = false;
  bool mark = false;
  bool second_date = false;  // uploaded and last downloaded
  size_t text_column = 0;    // 0: no text
  std::string_view text;
};

// Reads `line` as an entry line holding at most the fields in `allowed`.
// False when it does not start with something a file name can be (at most
// one leading blank).
bool parse_entry_shape(std::string_view line, const FieldSet& allowed, EntryShape& shape);

// True when `name` could name a file in a listing: printable, no blank, at
// least one letter or digit, not starting with a rule or quote character.
bool looks_like_name(std::string_view name);

// A name with an extension: NAME.EXT with 1-4 characters after the dot.
bool has_extension(std::string_view name);

// The date's year, month and day read in `order` (a month name or a
// four-digit year decides the order itself); false when no such date
// exists or the year is outside 1980-2079.
bool resolve_date(const DateField& date, DateOrder order, unsigned& year, unsigned& month,
                  unsigned& day);

// How an all-numeric two-digit date votes on the order: +1 it can only be
// year first, -1 only month first, 0 either or neither.
int date_order_vote(const DateField& date);

// The kinds of line no layout takes as an entry or description.
enum class LineForm {
  Text,    // anything else
  Blank,   // nothing but blanks
  Rule,    // dashes, equals, box drawing; a header glued to a rule too
  Header,  // column titles: "Name  Size  Date  Description"
  Banner,  // an area banner: "====[ Dir 2 ]====", "path: \x\y"
  Totals,  // "Total files: 84", "12 files, 3,456 bytes"
  Page,    // a printed catalog's page header: "Page 3"
  Prompt,  // a caller's session: "More (Y/n)?"
};

LineForm line_form(std::string_view line);

}  // namespace tolv
