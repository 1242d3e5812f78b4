#include "tolvbase/description.h"

#include <algorithm>

#include "filebase/description_lines.h"

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

DescriptionReader description_reader(ReadOnlyBase& base) {
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
  int64_t span =
      std::min<int64_t>(size - desc_ptr, int64_t{desc_lines} * int64_t{1 + kMaxStoredLine});
  if (span == 0) {
    if (desc_lines > 0) d.state = DescriptionState::PastEnd;
    return d;
  }
  if (!ensure(reader, desc_ptr, span)) {
    d.state = DescriptionState::ReadFailed;
    return d;
  }
  std::string_view bytes(
      reinterpret_cast<const char*>(reader.window.data() + (desc_ptr - reader.window_start)),
      static_cast<size_t>(span));
  DecodedDescription decoded = decode_description(bytes, desc_lines, &d.lines);
  d.end = desc_ptr + static_cast<int64_t>(decoded.end);
  if (decoded.whole_lines < desc_lines) d.state = DescriptionState::PastEnd;
  return d;
}

}  // namespace tolv
