#include "runtime/message.h"

#include <algorithm>
#include <cstring>

#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kStreamBuffer = 256;

// The stream's buffer lives for one write statement: it is written out
// whenever it fills and at the statement's end.
struct StreamBuffer {
  char bytes[kStreamBuffer];
  size_t fill = 0;
};

void flush_buffer(StreamBuffer& buffer) {
  if (buffer.fill == 0) return;
  ssize_t n = sys_write(1, buffer.bytes, buffer.fill);
  if (n < 0 || static_cast<size_t>(n) < buffer.fill) pending_error = kDiskWriteError;
  buffer.fill = 0;
}

}  // namespace

void message_write(std::string_view text) {
  if (pending_error != 0) return;
  StreamBuffer buffer;
  while (!text.empty() && pending_error == 0) {
    size_t take = std::min(text.size(), kStreamBuffer - buffer.fill);
    memcpy(buffer.bytes + buffer.fill, text.data(), take);
    buffer.fill += take;
    text.remove_prefix(take);
    if (buffer.fill == kStreamBuffer) flush_buffer(buffer);
  }
  if (pending_error == 0) flush_buffer(buffer);
}

}  // namespace tolv
