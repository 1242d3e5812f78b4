// The fields a listing line of any layout may hold, each read by a token
// reader at a position: the name, a size, a date, a time, a download
// counter, a new-file mark. What a field is does not depend on the layout;
// which fields a layout's entry lines hold, and in which order, does
// (layouts.h), and reading a line by its layout is entry_reading.h's.
//
// parse_entry_shape reads every field it finds after the name, in any
// order: that guess serves only to learn a layout from many lines.
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
  char separator = '-';  // '-', '/' or ' '
  size_t column = 0;     // of its first character
  size_t end = 0;        // of its last character
};

struct SizeField {
  SizeForm form = SizeForm::None;
  int64_t value = -1;  // bytes, or K for Kilo; -1 when too large to hold
  size_t column = 0;   // of its first character
  size_t end = 0;      // column of its last character
};

// The token readers. Each reads its field at byte `pos` of `s` and on
// success moves `pos` past it; a field ends at a blank or at the end of the
// line unless said otherwise. A label before a field ("Size:", "Date:",
// "D/L:") is read with it.
bool read_size(std::string_view s, size_t& pos, SizeField& size);
bool read_date(std::string_view s, size_t& pos, DateField& date);  // YYMMDD not included
bool read_packed_date(std::string_view s, size_t& pos, DateField& date);
bool read_time(std::string_view s, size_t& pos);     // hh:mm[:ss] [AM|PM]
bool read_counter(std::string_view s, size_t& pos);  // [12] (12) <12> D/L: 12; text may touch "]"
bool read_mark(std::string_view s, size_t& pos);     // '*' or CP437 0xFB standing alone
// A mark glued to the end of a date ("02-Sep-92*").
bool read_glued_mark(std::string_view s, size_t& pos);

struct NameField {
  size_t indent = 0;  // blanks before the name
  std::string name;   // "NOTES   .TXT" joined to NOTES.TXT; a quoted name unquoted
  bool quoted = false;
  bool split = false;  // a size ran on from it without a blank ("NAME1234.ZIP1,453,364")
};

// The name at `pos`, which must be at most one blank into the line: a
// token, a quoted name, or an 8.3 name padded inside. With `split_size`, a
// name whose token runs straight on into a size is cut where the size
// begins; `pos` is then left at the size. Names may begin with rule
// characters ("---FIX.ZIP"); what follows decides whether the line is an
// entry.
bool read_name(std::string_view line, size_t& pos, NameField& name, bool split_size);

// True when `name` could name a file in a listing: printable, no blank, at
// least one letter or digit, not starting with a quote, and not a rule
// with words glued on (four rule characters or more first).
bool looks_like_name(std::string_view name);

// A name with an extension: NAME.EXT with 1-4 characters after the dot.
bool has_extension(std::string_view name);

// A DOS name without an extension as listings write them: capitals,
// digits and the DOS punctuation, at most 8 characters, a letter among
// them, maybe a final dot (README, PART01, INFO1, NAME.).
bool is_bare_name(std::string_view name);

// A line's start read with every field it may hold, in any order: the
// guess that layouts are learned from.
struct EntryShape {
  NameField name;
  size_t gap = 0;  // blanks after the name
  SizeField size;
  DateField date;
  bool date_first = false;  // the date stands before the size
  bool time = false;
  bool counter = false;
  bool mark = false;
  bool second_date = false;  // uploaded and last downloaded
  bool labelled = false;     // "Size: n  Date: d"
  size_t text_column = 0;    // 0: no text
  std::string_view text;
};

// False when the line does not start with something a file name can be
// (at most one leading blank).
bool parse_entry_shape(std::string_view line, EntryShape& shape);

// The date's year, month and day read in `order` (a month name or a
// four-digit year decides the order itself); false when no such date
// exists or the year is outside what a listing date holds.
bool resolve_date(const DateField& date, DateOrder order, unsigned& year, unsigned& month,
                  unsigned& day);

// How an all-numeric two-digit date votes on the order: +1 it can only be
// year first, -1 only month first, 0 either or neither.
int date_order_vote(const DateField& date);

}  // namespace tolv
