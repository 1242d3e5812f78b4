#include "console/position_query.h"

#include <sys/types.h>

#include <algorithm>
#include <cstdint>

#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr char kEsc = 27;

// The shortest answer, ESC [ 1 ; 1 R, has 6 bytes: an answer is looked for
// only where that many are left.
constexpr size_t kShortestReply = 6;

// The answer's text after ESC [ is read from this many bytes at most.
constexpr size_t kReplyTextSize = 16;

// An unsigned decimal number; anything else (empty, a sign, a stray byte)
// reads as 0. Large values saturate: they are clamped to the screen later.
uint64_t unsigned_decimal(std::string_view text) {
  constexpr uint64_t kSaturated = UINT32_MAX;
  if (text.empty()) return 0;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), kSaturated);
  }
  return value;
}

int clamp_to(uint64_t value, int last) {
  return static_cast<int>(std::min<uint64_t>(value, static_cast<uint64_t>(last)));
}

}  // namespace

Cursor parse_position_reply(std::string_view bytes, int width, int height) {
  constexpr Cursor kNone{0, 0};
  // The first place where an ESC stands or a '[' follows. Keys typed before
  // the answer come first and are skipped; trailing bytes are dropped.
  size_t start = 0;
  for (;; ++start) {
    if (start + kShortestReply > bytes.size()) return kNone;
    if (bytes[start] == kEsc || bytes[start + 1] == '[') break;
  }
  std::string_view text = bytes.substr(start + 2, kReplyTextSize);
  size_t semicolon = text.find(';');
  if (semicolon == std::string_view::npos) return kNone;
  size_t end = text.find('R', semicolon + 1);
  if (end == std::string_view::npos) return kNone;
  uint64_t row = unsigned_decimal(text.substr(0, semicolon));
  uint64_t column = unsigned_decimal(text.substr(semicolon + 1, end - semicolon - 1));
  if (row == 0 || column == 0) return kNone;
  return Cursor{clamp_to(column, width), clamp_to(row, height)};
}

Cursor query_position(int width, int height, bool ask) {
  // The request goes to standard input's terminal and the answer is read
  // from standard output's: both are the same terminal in an interactive run.
  // Standard input that is not a terminal gets nothing: it may be a file
  // open for writing, even one of the base. No answer comes then.
  if (ask) sys_write(0, "\x1b[6n", 4);
  if (sys_wait_readable(1, kReplyTimeoutMs) <= 0) return Cursor{0, 0};
  char reply[kReplyReadSize];
  ssize_t count = sys_read(1, reply, sizeof reply);
  if (count <= 0) return Cursor{0, 0};
  return parse_position_reply(std::string_view(reply, static_cast<size_t>(count)), width, height);
}

}  // namespace tolv
