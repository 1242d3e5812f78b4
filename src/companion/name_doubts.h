// Doubts about names and dates that the listing and the base share: a name
// a person reads as a rule or header row, a date that no calendar holds, and
// a name seen before, exactly or in other letter cases. `tolvbase preview`
// asks them of a listing's entries, `tolvbase check` of a base's records.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "filebase/name_index.h"

namespace tolv {

// True for an empty name, for one made only of rule characters ('-', '=',
// '_', '*', '~', '+', '#', '.', ':' and the line and block characters of
// CP437, bytes 0xB0-0xDF), and for one that begins with four or more of them
// (a rule row with a header glued on).
bool is_rule_name(std::string_view name);

// The characters rules are drawn with: those above, and of them the CP437
// line and block characters alone.
bool is_rule_character(char c);
bool is_box_drawing(char c);

// True when the packed date's month is outside 1 to 12 or its day outside
// 1 to 31, as stored.
bool is_impossible_date(uint32_t packed);

// Names seen so far, each under its ASCII lower-case form with the number
// (line or record) where it was seen first and its letters as seen there.
struct NameRepeats {
  struct First {
    int64_t where;
    std::string name;
  };
  std::unordered_map<std::string, First, NameHash, std::equal_to<>> seen;
};

enum class Repeat { First, Same, OtherCase };

struct RepeatOf {
  Repeat kind = Repeat::First;
  const NameRepeats::First* first = nullptr;  // for Same and OtherCase
};

// Notes `name` as seen at `where` and tells whether it was seen before.
RepeatOf note_name(NameRepeats& repeats, std::string_view name, int64_t where);

}  // namespace tolv
