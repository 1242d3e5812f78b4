#include "normalize/member_text.h"

#include <cstdint>

#include "listing/entry.h"
#include "normalize/description_text.h"

namespace tolv {

namespace {

constexpr char kEndOfText = '\x1A';

// The next line of `text` from `at`, which moves past its end.
std::string_view next_line(std::string_view text, size_t& at) {
  size_t end = text.find_first_of("\r\n", at);
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(at, end - at);
  at = end;
  if (at < text.size()) at += text.substr(at, 2) == "\r\n" ? 2 : 1;
  return line;
}

}  // namespace

std::vector<std::string> member_description_lines(std::string_view bytes, bool keep_colours,
                                                  size_t max_lines, bool* cut) {
  bytes = bytes.substr(0, bytes.find(kEndOfText));
  std::vector<std::string> lines;
  size_t last_text = 0;  // lines up to the last one with text
  size_t at = 0;
  while (at < bytes.size()) {
    std::string line = clean_description(next_line(bytes, at), keep_colours);
    line.erase(line.find_last_not_of(' ') + 1);
    if (line.empty() && lines.empty()) continue;
    if (line.size() <= kDescLineCapacity) {
      lines.push_back(std::move(line));
    } else {
      for (std::string& piece : wrap_description(line, kDescLineCapacity, SIZE_MAX))
        lines.push_back(std::move(piece));
    }
    if (!lines.back().empty()) last_text = lines.size();
    if (last_text > max_lines) break;
  }
  lines.resize(last_text);
  bool left_out = lines.size() > max_lines;
  if (left_out) lines.resize(max_lines);
  if (cut) *cut = left_out;
  return lines;
}

}  // namespace tolv
