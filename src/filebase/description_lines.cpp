#include "filebase/description_lines.h"

#include <algorithm>
#include <cstring>

namespace tolv {

size_t encode_description(const Entry& entry, uint8_t* out) {
  size_t n = 0;
  for (int i = 0; i < entry.desc_count; ++i) {
    std::string_view line = entry.desc[i].view();
    out[n++] = static_cast<uint8_t>(line.size());
    if (!line.empty()) memcpy(out + n, line.data(), line.size());
    n += line.size();
  }
  return n;
}

void append_description_line(std::string& out, std::string_view line) {
  line = line.substr(0, kMaxStoredLine);
  out += static_cast<char>(line.size());
  out += line;
}

DecodedDescription decode_description(std::string_view bytes, int count,
                                      std::vector<std::string>* lines) {
  DecodedDescription d;
  while (d.whole_lines < count && d.end < bytes.size()) {
    size_t length = static_cast<uint8_t>(bytes[d.end]);
    if (d.end + 1 + length > bytes.size()) break;
    if (lines) lines->emplace_back(bytes.substr(d.end + 1, length));
    d.end += 1 + length;
    ++d.whole_lines;
  }
  return d;
}

}  // namespace tolv
