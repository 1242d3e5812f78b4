// The listing layouts the normalizer knows, and the model of one listing's
// layout learned from the whole file before any line is read by it.
//
// Every line first votes for the family of layouts its fields fit (the
// guess of parse_entry_shape); the family with the most votes wins, unless
// the votes are too few or two families are close (then the sysop names it
// with --layout). The model is then what (nearly) every entry line of that
// family has, at the same place: a field only some entries have at the
// start of their text (a date, a bracketed number, an archive index's
// columns) stays text. Within a family the layout's name (PCBoard,
// Spitfire, RBBS, ...) comes from the features seen over the whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "companion/file_directory.h"
#include "normalize/line_fields.h"

namespace tolv {

// What an entry line holds, in order.
enum class Family {
  SizeDate,  // NAME SIZE DATE text: PCBoard and its kin
  DateSize,  // NAME DATE [TIME] SIZE text: Opus, script-made lists
  SizeOnly,  // NAME 21k text
  NameText,  // NAME text: FILES.BBS, DESCRIPT.ION
};
inline constexpr int kFamilies = 4;

struct LayoutInfo {
  std::string_view name;
  Family family;
  std::string_view description;
};

std::span<const LayoutInfo> known_layouts();
const LayoutInfo* find_layout(std::string_view name);

// A field or separator is part of the layout when at least this share of
// its entry lines (kSharePart / kShareWhole), and at least kShareLeast of
// them, have it at its place.
inline constexpr int64_t kSharePart = 3, kShareWhole = 4, kShareLeast = 2;

// Description lines kept as they are may hold this many characters; a
// longer one is one tolvconv would cut.
inline constexpr size_t kKeptLineWidth = 50;

struct LayoutModel {
  const LayoutInfo* layout = nullptr;
  Family family = Family::SizeDate;
  int64_t support = 0;  // entry lines that voted for the family
  DateOrder order = DateOrder::MonthFirst;
  // Entry lines in tolvconv's own columns: the text is read from column 34
  // as tolvconv reads it, and nothing after the date is a field.
  bool pcboard_columns = false;
  // The fields after the size and date that (nearly) every entry line has;
  // a time of day, which no description begins with, where most have one.
  bool time = false, counter = false, second_date = false;
  char separator = 0;            // ':' or '-' before the text of every entry line
  bool bar_before_text = false;  // "06-07-93 |Text": a '|' opens every entry line's text
  size_t date_column = 0;        // where (nearly) every date begins; 0: no one place
  // Text indented without a mark continues the entry above; so does a line
  // that begins with '|', '>' or '+' after blanks, but where it stands just
  // as far in as the listing's indented text: there the mark is the text's
  // own (a bullet, a box of art) and is kept.
  bool indented_continuation = false;
  size_t text_indent = 0;  // of most indented continuation lines; 0: none
  // The description lines are kept as lines (tolvconv's 50 characters fit
  // them); otherwise the layout's text is joined and wrapped anew.
  bool keep_lines = false;
};

// A continuation line with a mark: '|' after any blanks, or '>' or '+'
// after one blank or more, then a blank or the end.
bool is_marked_continuation(std::string_view line);

// The blanks before a line's first character.
size_t indent_of(std::string_view line);

// Every file entry line with '-' in columns 26 and 29, a name of at most
// 12 characters at column 1, a decimal size in columns 13-21 and a real date
// in columns 24-31, columns 32 and 33 blank: a line tolvconv reads exactly.
bool in_pcboard_columns(std::string_view line);

struct FamilyCounts {
  int64_t votes = 0;
  int64_t time = 0, counter = 0, second_date = 0;
  int64_t separator[2] = {};  // ':' and '-'
  int64_t bar_text = 0;       // text opened by '|'
  int64_t exact = 0;          // in_pcboard_columns
  int64_t text = 0, long_text = 0;
  static constexpr size_t kColumns = 128;
  int64_t date_columns[kColumns] = {};
  int64_t gaps[kColumns] = {};  // blanks between the name and the field after it
};

struct LayoutStats {
  int64_t lines = 0;
  int64_t considered = 0;  // lines of text that start in column 1 or 2
  int64_t loose = 0;       // lines of text that are no entry, description or furniture
  int64_t furniture = 0;   // rules, column titles, banners, totals, page headers
  FamilyCounts family[kFamilies];
  int64_t order_votes = 0;  // > 0: numeric dates are year first
  // Among the entry lines that voted SizeDate or DateSize:
  int64_t grouped = 0, lead_blank = 0, month_names = 0, bytes = 0, labelled = 0;
  // Among the NameText votes: the text's column, and one-blank gaps.
  int64_t text_columns[64] = {};
  int64_t single_gaps = 0;
  // Lines that continue a description: all, those right after an entry or
  // its description, and those of them over kKeptLineWidth characters.
  int64_t marked = 0, indented = 0;
  int64_t attached_marked = 0, attached_indented = 0, long_continuations = 0;
  int64_t indents[64] = {};  // of the indented lines right after an entry or its description
  int after = 0;             // what the line before was (layouts.cpp)
};

// Counts one line; `directory` (may be null) says which first words name
// files.
void count_line(LayoutStats& stats, std::string_view line, const FileDirectory* directory);

struct LayoutChoice {
  LayoutModel model;  // model.layout null: refused, or an empty area
  // No line reads as a file entry, and the listing is empty or is furniture
  // with a few titles: an area without files.
  bool empty = false;
  std::string refusal;  // why no layout was chosen, naming the candidates
};

// The layout the votes choose; `forced` (may be null) is taken as given.
LayoutChoice choose_layout(const LayoutStats& stats, const LayoutInfo* forced);

}  // namespace tolv
