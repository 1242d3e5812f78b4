// The listing layouts the normalizer knows, and how one is chosen: every
// line of the file votes for the family of layouts its fields fit, and the
// family with the most votes wins, unless the votes are too few or two
// families are close (then the sysop names it with --layout). Within a
// family the name (PCBoard, Spitfire, RBBS, ...) comes from the features
// seen over the whole file: thousands separators, continuation lines, times,
// counters.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "normalize/line_fields.h"

namespace tolv {

// What an entry line holds, in order. Each family takes its own fields
// from a line and leaves the rest as text.
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

// The fields an entry line of the family may hold; counters and new-file
// marks standing apart only when the listing uses them (else "(1) Read me"
// keeps its first word).
FieldSet family_fields(Family family, bool counters);

// The shapes of a continuation line: '|', '>' or '+' after blanks, or text
// indented by two blanks or more.
bool is_marked_continuation(std::string_view line);
bool is_indented(std::string_view line);

struct LayoutStats {
  int64_t lines = 0;
  int64_t considered = 0;  // lines of text that start in column 1 or 2
  int64_t votes[kFamilies] = {};
  int64_t with_counters[kFamilies] = {};  // of the votes, lines with a counter or a mark
  int64_t order_votes = 0;                // > 0: numeric dates are year first
  // Among the entry lines that voted SizeDate or DateSize:
  int64_t grouped = 0, lead_blank = 0, timed = 0, counted = 0, month_names = 0, bytes = 0;
  // Among the NameText votes: the text's column, and one-blank gaps.
  int64_t text_columns[64] = {};
  int64_t single_gaps = 0;
  // Lines that would continue a description.
  int64_t marked = 0, indented = 0;
};

void count_line(LayoutStats& stats, std::string_view line);

struct LayoutChoice {
  const LayoutInfo* layout = nullptr;  // null: refused
  int64_t support = 0;                 // lines that read as its entries
  DateOrder order = DateOrder::MonthFirst;
  bool counters = false;  // a quarter of its entry lines or more have counters or marks
  std::string refusal;    // why none was chosen, naming the candidates
};

// The layout the votes choose; `forced` (may be null) is taken as given.
LayoutChoice choose_layout(const LayoutStats& stats, const LayoutInfo* forced);

}  // namespace tolv
