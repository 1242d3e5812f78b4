#include "normalize/listing_source.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kChunk = 64 * 1024;

// More bytes into the buffer; false at the end or on a failure.
bool refill(ListingSource& s) {
  if (s.at_end) return false;
  if (s.in_memory) {
    s.at_end = true;
    return false;
  }
  s.offset += static_cast<int64_t>(s.fill);
  s.buffer.resize(kChunk);
  ssize_t n = retry_interrupted(
      [&] { return sys_pread(s.file.fd, s.buffer.data(), kChunk, static_cast<off_t>(s.offset)); });
  if (n < 0) {
    s.error = cannot("read", s.file.path, system_error);
    s.at_end = true;
    s.fill = 0;
    return false;
  }
  s.pos = 0;
  s.fill = static_cast<size_t>(n);
  if (n == 0) s.at_end = true;
  return n > 0;
}

// The bytes before the first CR or LF (all of them when there is none).
size_t line_length(const char* at, size_t avail) {
  const void* lf = memchr(at, '\n', avail);
  size_t n = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - at) : avail;
  const void* cr = memchr(at, '\r', n);
  return cr != nullptr ? static_cast<size_t>(static_cast<const char*>(cr) - at) : n;
}

const char* data(const ListingSource& s) {
  return s.in_memory ? s.memory.data() : s.buffer.data();
}

// Standard input copied into an unnamed file; false with `error`.
bool spool_standard_input(ListingSource& s, int64_t limit) {
  const char* tmp = getenv("TMPDIR");
  std::string where = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  int fd = sys_open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    s.error = "cannot hold standard input in " + quoted(where) + ": " + errno_text(system_error);
    return false;
  }
  s.file.fd = fd;
  s.file.path = "standard input";
  std::string chunk(kChunk, '\0');
  int64_t total = 0;
  for (;;) {
    ssize_t n = retry_interrupted([&] { return sys_read(0, chunk.data(), kChunk); });
    if (n < 0) {
      s.error = "cannot read standard input: " + errno_text(system_error);
      return false;
    }
    if (n == 0) break;
    total += n;
    if (total > limit) {
      s.error = "standard input holds more than " + std::to_string(limit) +
                " bytes, more than any listing; it is not read";
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = retry_interrupted([&] {
        return sys_pwrite(fd, chunk.data() + done, static_cast<size_t>(n - done),
                          static_cast<off_t>(total - n + done));
      });
      if (w <= 0) {
        s.error = "cannot hold standard input in " + quoted(where) + ": " +
                  errno_text(w < 0 ? system_error : ENOSPC);
        return false;
      }
      done += w;
    }
  }
  s.file.size = total;
  return true;
}

}  // namespace

bool open_listing_source(ListingSource& source, const std::string& path, int64_t spool_limit) {
  source = {};
  if (path == "-") {
    source.standard_input = true;
    if (spool_standard_input(source, spool_limit)) return true;
    close_listing_source(source);
    return false;
  }
  if (!open_read_only(source.file, path)) {
    source.error = source.file.error;
    return false;
  }
  return true;
}

void text_listing_source(ListingSource& source, std::string text) {
  source = {};
  source.in_memory = true;
  source.memory = std::move(text);
  source.fill = source.memory.size();
}

bool next_source_line(ListingSource& s, std::string& line, bool& cut) {
  line.clear();
  cut = false;
  bool any = false;
  for (;;) {
    if (s.pos >= s.fill && !refill(s)) break;
    const char* at = data(s) + s.pos;
    size_t avail = s.fill - s.pos;
    if (s.pending_cr) {
      s.pending_cr = false;
      if (*at == '\n') {
        ++s.pos;
        continue;
      }
    }
    any = true;
    size_t n = line_length(at, avail);
    size_t room = kSourceLineCapacity - line.size();
    if (n > room) cut = true;
    line.append(at, n < room ? n : room);
    s.pos += n;
    if (n < avail) {
      s.pending_cr = at[n] == '\r';
      ++s.pos;
      break;
    }
  }
  return any && s.error.empty();
}

bool rewind_listing_source(ListingSource& s) {
  s.pos = 0;
  s.pending_cr = false;
  s.at_end = false;
  s.offset = 0;
  s.fill = s.in_memory ? s.memory.size() : 0;
  return true;
}

void close_listing_source(ListingSource& source) {
  if (!source.in_memory) close_read_only(source.file);
}

}  // namespace tolv
