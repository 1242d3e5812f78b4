#include "runtime/message.h"

#include <algorithm>
#include <cstring>

#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kStreamBuffer = 256;

char buffer[kStreamBuffer];
size_t fill = 0;

void flush_buffer() {
  if (fill == 0) return;
  ssize_t n = sys_write(1, buffer, fill);
  if (n < 0 || static_cast<size_t>(n) < fill) pending_error = kDiskWriteError;
  fill = 0;
}

}  // namespace

void message_write(std::string_view text) {
  if (pending_error != 0) return;
  while (!text.empty() && pending_error == 0) {
    size_t take = std::min(text.size(), kStreamBuffer - fill);
    memcpy(buffer + fill, text.data(), take);
    fill += take;
    text.remove_prefix(take);
    if (fill == kStreamBuffer) flush_buffer();
  }
  if (pending_error == 0) flush_buffer();
  fill = 0;
}

}  // namespace tolv
