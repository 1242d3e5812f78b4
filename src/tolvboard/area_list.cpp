#include "tolvboard/area_list.h"

namespace tolv {

namespace {

constexpr size_t kDirPathWidth = 30;
constexpr size_t kDiskPathWidth = 30;
constexpr size_t kDescriptionWidth = 35;
constexpr size_t kDirPathAt = 0;
constexpr size_t kDiskPathAt = kDirPathAt + kDirPathWidth;
constexpr size_t kDescriptionAt = kDiskPathAt + kDiskPathWidth;
// SortType, the last byte, is not used.
static_assert(kDescriptionAt + kDescriptionWidth + 1 == kDirListRecordSize);
constexpr char kStringEnds[] = {'\0', 0x1A};  // a NUL, a Ctrl-Z

// A space-padded string field that a NUL or a Ctrl-Z may end early.
std::string field(std::string_view record, size_t at, size_t width) {
  std::string_view text = record.substr(at, width);
  text = text.substr(0, text.find_first_of(std::string_view(kStringEnds, 2)));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<Area> parse_dir_list(std::string_view bytes, size_t& short_tail) {
  std::vector<Area> areas;
  size_t whole = bytes.size() / kDirListRecordSize;
  for (size_t n = 0; n < whole; ++n) {
    std::string_view record = bytes.substr(n * kDirListRecordSize, kDirListRecordSize);
    areas.push_back({static_cast<int>(n + 1), field(record, kDirPathAt, kDirPathWidth),
                     field(record, kDiskPathAt, kDiskPathWidth),
                     field(record, kDescriptionAt, kDescriptionWidth), true});
  }
  short_tail = bytes.size() % kDirListRecordSize;
  return areas;
}

std::vector<Area> parse_area_file(std::string_view bytes, int64_t& bad_line) {
  std::vector<Area> areas;
  bad_line = 0;
  for (int64_t number = 1; !bytes.empty(); ++number) {
    size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (trimmed(line).empty() || trimmed(line).front() == '#') continue;
    while (line.back() == ' ' || line.back() == '\t' || line.back() == '\r') line.remove_suffix(1);
    std::string_view fields[kAreaFileFields];
    size_t count = 0;
    for (; count < kAreaFileFields && !line.empty(); ++count) {
      size_t tab = line.find('\t');
      fields[count] = trimmed(line.substr(0, tab));
      line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
    }
    if (!line.empty()) {
      bad_line = number;
      return {};
    }
    areas.push_back({static_cast<int>(areas.size() + 1), std::string(fields[0]),
                     std::string(fields[2]), std::string(fields[1]), false});
  }
  return areas;
}

}  // namespace tolv
