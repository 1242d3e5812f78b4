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

std::vector<Area> parse_area_file(std::string_view bytes) {
  std::vector<Area> areas;
  while (!bytes.empty()) {
    size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (trimmed(line).empty() || trimmed(line).front() == '#') continue;
    size_t tab = line.find('\t');
    std::string_view path = trimmed(line.substr(0, tab));
    std::string_view text = tab == std::string_view::npos ? "" : trimmed(line.substr(tab + 1));
    areas.push_back(
        {static_cast<int>(areas.size() + 1), std::string(path), "", std::string(text), false});
  }
  return areas;
}

}  // namespace tolv
