#include "tolvbase/description.h"

#include <algorithm>

namespace tolv {

namespace {

// Larger than the longest description: 255 lines of 1 + 255 bytes.
constexpr int64_t kWindowSize = 128 * 1024;

// Makes [offset, offset + count) readable in the window; count must not
// exceed kWindowSize and the range must lie inside the file.
bool ensure(DescriptionReader& reader, int64_t offset, int64_t count) {
  int64_t window_end = reader.window_start + static_cast<int64_t>(reader.window.size());
  if (offset >= reader.window_start && offset + count <= window_end) return true;
  int64_t size = std::min(kWindowSize, reader.file->size - offset);
  reader.window.resize(static_cast<size_t>(size));
  reader.window_start = offset;
  if (read_exactly(*reader.file, reader.window.data(), reader.window.size(), offset)) return true;
  reader.window.clear();
  return false;
}

}  // namespace

DescriptionReader description_reader(Base& base) {
  DescriptionReader reader;
  reader.file = &base.descriptions;
  return reader;
}

Description read_description(DescriptionReader& reader, int32_t desc_ptr, int desc_lines) {
  Description d;
  d.end = desc_ptr;
  int64_t size = reader.file->size;
  if (desc_ptr < 0) {
    d.state = DescriptionState::NegativePointer;
    return d;
  }
  if (desc_ptr > size) {
    d.state = DescriptionState::PointerOutside;
    return d;
  }
  int64_t span = std::min<int64_t>(size - desc_ptr, int64_t{desc_lines} * 256);
  if (span == 0) {
    if (desc_lines > 0) d.state = DescriptionState::PastEnd;
    return d;
  }
  if (!ensure(reader, desc_ptr, span)) {
    d.state = DescriptionState::ReadFailed;
    return d;
  }
  const uint8_t* bytes = reader.window.data() + (desc_ptr - reader.window_start);
  int64_t at = 0;
  for (int i = 0; i < desc_lines; ++i) {
    if (at >= span || at + 1 + bytes[at] > span) {
      d.state = DescriptionState::PastEnd;
      return d;
    }
    d.lines.emplace_back(reinterpret_cast<const char*>(bytes + at + 1), bytes[at]);
    at += 1 + bytes[at];
    d.end = desc_ptr + at;
  }
  return d;
}

}  // namespace tolv
