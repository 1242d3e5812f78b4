// The description file (".des"): a plain run of description lines, each a
// length byte L (0 to 255) and L characters, with no header or separator.
// A record's description is the DescLines lines that start at byte DescPtr.
// This is the one place that knows the layout: the writer encodes with it,
// readers of a base decode with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/entry.h"

namespace tolv {

// The most a line can hold in the file, and what an entry's lines take at
// most once stored.
inline constexpr size_t kMaxStoredLine = 255;
inline constexpr size_t kMaxDescBytes = kMaxDescLines * (1 + kDescLineCapacity);

// Stores the entry's lines into `out`, which has room for kMaxDescBytes;
// gives the number of bytes.
size_t encode_description(const Entry& entry, uint8_t* out);

// Appends one stored line (its first 255 characters) to `out`.
void append_description_line(std::string& out, std::string_view line);

struct DecodedDescription {
  int whole_lines = 0;  // lines that lie whole inside the bytes given
  size_t end = 0;       // the offset after the last of them
};

// Reads up to `count` lines from the start of `bytes`, stopping at the first
// line that runs past their end. Each whole line is added to `lines` when
// that is given.
DecodedDescription decode_description(std::string_view bytes, int count,
                                      std::vector<std::string>* lines = nullptr);

}  // namespace tolv
