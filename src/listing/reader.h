// The PCBoard listing reader: turns a listing into entries, one at a time.
//
// A file entry line has '-' in columns 26 and 29 and holds the name (up to
// the first space), the size (columns 13-21), the date MM-DD-YY (columns
// 24-31) and the first description line (from column 34). The lines that
// follow it with '|' in column 32 add one description line each. Every other
// line is skipped. Lines end at LF, CR or CR LF; a line keeps its first 255
// bytes. The listing is read once, front to back, through a 256-byte buffer,
// with the line that ended an entry held as the next one to examine.
#pragma once

#include <cstdint>
#include <string>

#include "listing/entry.h"
#include "runtime/file.h"
#include "runtime/short_string.h"

namespace tolv {

inline constexpr size_t kInputBuffer = 256;

struct Listing {
  File file;
  uint8_t buffer[kInputBuffer];
  size_t fill = 0;
  size_t pos = 0;
  bool at_end = false;  // a refill gave no byte
  ShortString<kLineCapacity> line;
  bool line_pending = false;  // `line` was read but not yet examined
  Entry entry;
};

// Opens the listing at `path` for reading; the empty path is standard input.
// Nothing is read yet. A failure leaves its code pending for the caller.
void open_listing(Listing& listing, const std::string& path);

// The next entry, or nullptr at the end of the listing (and on every call
// after it). The entry lives in `listing` until the next call.
const Entry* next_entry(Listing& listing);

void close_listing(Listing& listing);

// True when every byte of the listing has been consumed.
bool end_of_input(Listing& listing);

// Reads one line into listing.line and consumes its line end.
void read_line(Listing& listing);

}  // namespace tolv
