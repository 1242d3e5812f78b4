// The name a person meant when they mistyped one: the nearest by edit
// distance among the names they could have given, for "did you mean".
#pragma once

#include <span>
#include <string_view>

namespace tolv {

// Letters inserted, removed or replaced, and neighbours swapped, to turn
// `from` into `to`.
size_t edit_distance(std::string_view from, std::string_view to);

// One way to write a name: the name itself, or another spelling of it.
struct Spelling {
  std::string_view written;
  std::string_view name;
};

// The name whose spelling is nearest to `typed`, when it is near enough to
// be what was meant: at most two edits, and a third or less of the longer
// word. Empty when none is, or when two names are equally near (a guess
// between them would mislead).
std::string_view nearest_name(std::string_view typed, std::span<const Spelling> spellings);

}  // namespace tolv
