#include "companion/output.h"

#include <errno.h>

#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kFlushAt = 16 * 1024;

}  // namespace

void put(Output& out, std::string_view text) {
  if (out.failed) return;
  out.pending.append(text);
  if (out.pending.size() >= kFlushAt) flush(out);
}

bool flush(Output& out) {
  size_t done = 0;
  while (!out.failed && done < out.pending.size()) {
    ssize_t n = retry_interrupted(
        [&] { return sys_write(out.fd, out.pending.data() + done, out.pending.size() - done); });
    if (n <= 0) {
      out.failed = true;
      out.error = n < 0 ? system_error : EIO;
    } else {
      done += static_cast<size_t>(n);
    }
  }
  out.pending.clear();
  return !out.failed;
}

void write_standard_error(std::string_view text) {
  Output err;
  err.fd = 2;
  put(err, text);
  flush(err);
}

}  // namespace tolv
