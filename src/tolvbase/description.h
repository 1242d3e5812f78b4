// A record's description as the description file holds it: DescLines
// length-prefixed lines from byte DescPtr. The reader keeps a window of the
// file, so records whose descriptions follow one another (as the converter
// writes them) are served by one read per window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "companion/base.h"

namespace tolv {

enum class DescriptionState {
  Whole,            // every line lies inside the file
  NegativePointer,  // DescPtr < 0
  PointerOutside,   // DescPtr past the end of the file
  PastEnd,          // a line runs past the end: lines holds those before it
  ReadFailed,       // the file's `error` says why
};

struct Description {
  DescriptionState state = DescriptionState::Whole;
  std::vector<std::string> lines;  // the lines that lie whole inside the file
  int64_t end = 0;                 // the byte after the last of them
};

struct DescriptionReader {
  ReadOnlyFile* file = nullptr;
  std::vector<uint8_t> window;
  int64_t window_start = 0;
};

DescriptionReader description_reader(ReadOnlyBase& base);

Description read_description(DescriptionReader& reader, int32_t desc_ptr, int desc_lines);

}  // namespace tolv
