#include "companion/nearest_name.h"

#include <algorithm>
#include <vector>

namespace tolv {

namespace {

constexpr size_t kMostEdits = 2;
constexpr size_t kLettersPerEdit = 3;  // an edit in fewer letters is a different word

bool near_enough(size_t edits, std::string_view typed, std::string_view name) {
  return edits <= kMostEdits && edits * kLettersPerEdit <= std::max(typed.size(), name.size());
}

}  // namespace

size_t edit_distance(std::string_view from, std::string_view to) {
  // Three rows of the table: a swap of neighbours looks two rows back.
  size_t width = to.size() + 1;
  std::vector<size_t> before(width), last(width), row(width);
  for (size_t j = 0; j < width; ++j) last[j] = j;
  for (size_t i = 1; i <= from.size(); ++i) {
    row[0] = i;
    for (size_t j = 1; j < width; ++j) {
      size_t replace = last[j - 1] + (from[i - 1] == to[j - 1] ? 0 : 1);
      row[j] = std::min({last[j] + 1, row[j - 1] + 1, replace});
      if (i > 1 && j > 1 && from[i - 1] == to[j - 2] && from[i - 2] == to[j - 1])
        row[j] = std::min(row[j], before[j - 2] + 1);
    }
    std::swap(before, last);
    std::swap(last, row);
  }
  return last[to.size()];
}

std::string_view nearest_name(std::string_view typed, std::span<const Spelling> spellings) {
  std::string_view nearest;
  size_t least = 0;
  bool tied = false;
  for (const Spelling& spelling : spellings) {
    size_t edits = edit_distance(typed, spelling.written);
    if (!near_enough(edits, typed, spelling.written)) continue;
    if (nearest.empty() || edits < least) {
      nearest = spelling.name;
      least = edits;
      tied = false;
    } else if (edits == least && spelling.name != nearest) {
      tied = true;
    }
  }
  return tied ? std::string_view() : nearest;
}

}  // namespace tolv
