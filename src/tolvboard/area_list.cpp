#include "tolvboard/area_list.h"

#include "companion/text.h"

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

// A field's text: up to a NUL or a Ctrl-Z, whichever comes first.
std::string_view field_text(std::string_view record, size_t at, size_t width) {
  std::string_view text = record.substr(at, width);
  return text.substr(0, text.find_first_of(std::string_view(kStringEnds, 2)));
}

// A space-padded string field that a NUL or a Ctrl-Z may end early.
std::string field(std::string_view record, size_t at, size_t width) {
  std::string_view text = field_text(record, at, width);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

// The first C0 or DEL byte of a string field's text; npos when it has none.
size_t control_byte_at(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (static_cast<unsigned char>(text[i]) < 0x20 || text[i] == 0x7F) return i;
  return std::string_view::npos;
}

// Why `record` (area `number`) cannot be one of a DIR.LST: a string field
// holds a control byte, which no board writes there and which would reach
// a log line or a terminal. Empty when it is sound.
std::string record_refusal(std::string_view record, int number) {
  struct Field {
    const char* name;
    size_t at, width;
  } fields[] = {{"DirPath (the listing's path)", kDirPathAt, kDirPathWidth},
                {"DskPath (where the files lie)", kDiskPathAt, kDiskPathWidth},
                {"DirDesc (the description)", kDescriptionAt, kDescriptionWidth}};
  for (const Field& f : fields) {
    std::string_view text = field_text(record, f.at, f.width);
    size_t at = control_byte_at(text);
    if (at == std::string_view::npos) continue;
    std::string refusal =
        "record " + std::to_string(number) + "'s " + f.name + " holds a control byte (";
    append_hex_escape(refusal, static_cast<unsigned char>(text[at]));
    return refusal + " at its byte " + std::to_string(at + 1) + ")";
  }
  return {};
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<Area> parse_dir_list(std::string_view bytes, std::string& refusal) {
  std::vector<Area> areas;
  if (size_t over = bytes.size() % kDirListRecordSize; over != 0) {
    refusal = "its " + counted(static_cast<int64_t>(bytes.size()), "byte") +
              " are not a whole number of " + std::to_string(kDirListRecordSize) +
              "-byte records (" + std::to_string(over) + " over)";
    return areas;
  }
  size_t whole = bytes.size() / kDirListRecordSize;
  for (size_t n = 0; n < whole; ++n) {
    std::string_view record = bytes.substr(n * kDirListRecordSize, kDirListRecordSize);
    int number = static_cast<int>(n + 1);
    refusal = record_refusal(record, number);
    if (!refusal.empty()) {
      areas.clear();
      return areas;
    }
    areas.push_back({number, field(record, kDirPathAt, kDirPathWidth),
                     field(record, kDiskPathAt, kDiskPathWidth),
                     field(record, kDescriptionAt, kDescriptionWidth), true});
  }
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
