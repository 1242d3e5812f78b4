#include "companion/name_doubts.h"

#include <cstring>

#include "companion/text.h"
#include "listing/packed_date.h"

namespace tolv {

namespace {

// A rule this long with text after it is a rule row with a header glued on.
constexpr size_t kGluedRule = 4;

}  // namespace

bool is_box_drawing(char c) {
  auto b = static_cast<unsigned char>(c);
  return b >= 0xB0 && b <= 0xDF;
}

bool is_rule_character(char c) {
  return (c != 0 && strchr("-=_*~+#.:", c) != nullptr) || is_box_drawing(c);
}

bool is_rule_name(std::string_view name) {
  size_t rule = 0;
  while (rule < name.size() && is_rule_character(name[rule])) ++rule;
  return rule == name.size() || rule >= kGluedRule;
}

bool is_impossible_date(uint32_t packed) {
  DateTimeFields f = unpack_date_time(packed);
  return f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31;
}

RepeatOf note_name(NameRepeats& repeats, std::string_view name, int64_t where) {
  auto [at, inserted] = repeats.seen.try_emplace(folded(name), NameRepeats::First{where, {}});
  if (inserted) {
    at->second.name = name;
    return {};
  }
  return {at->second.name == name ? Repeat::Same : Repeat::OtherCase, &at->second};
}

}  // namespace tolv
