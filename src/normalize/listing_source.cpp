#include "normalize/listing_source.h"

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
  s.buffer.resize(kChunk);
  ssize_t n = retry_interrupted([&] { return sys_read(s.file.fd, s.buffer.data(), kChunk); });
  if (n < 0) {
    s.error = cannot("read", s.file.path, system_error);
    s.at_end = true;
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

}  // namespace

bool open_listing_source(ListingSource& source, const std::string& path) {
  source = {};
  if (path == "-") {
    source.in_memory = true;
    if (!read_whole_file(path, source.memory, source.error)) return false;
    source.fill = source.memory.size();
    return true;
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
    if (s.pos >= s.fill && !refill(s)) return any && s.error.empty();
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
      return true;
    }
  }
}

bool rewind_listing_source(ListingSource& s) {
  s.pos = 0;
  s.pending_cr = false;
  if (s.in_memory) {
    s.at_end = false;
    s.fill = s.memory.size();
    return true;
  }
  s.fill = 0;
  s.at_end = false;
  if (sys_lseek(s.file.fd, 0, SEEK_SET) < 0) {
    s.error = cannot("read", s.file.path, system_error);
    return false;
  }
  return true;
}

void close_listing_source(ListingSource& source) {
  if (!source.in_memory) close_read_only(source.file);
}

}  // namespace tolv
