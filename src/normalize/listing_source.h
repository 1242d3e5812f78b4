// The lines of a listing of any layout, read as often as the normalizer
// needs them. A file is read again from its start; standard input is first
// spooled into an unnamed temporary file (in TMPDIR, else /tmp), so memory
// does not grow with it, and an input past kSpoolLimit bytes is refused.
// Reads are positioned (pread): another reader of the same descriptor keeps
// its own offset.
//
// Lines end at LF, CR or CR LF. A line keeps at most kSourceLineCapacity
// bytes; the rest of it is skipped and the line marked cut, so a file
// without line ends (or a binary one) costs no more memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "companion/read_only_file.h"

namespace tolv {

inline constexpr size_t kSourceLineCapacity = 64 * 1024;
inline constexpr int64_t kSpoolLimit = int64_t{1} << 30;

struct ListingSource {
  ReadOnlyFile file;
  bool standard_input = false;  // `file` holds what standard input gave
  bool in_memory = false;       // text a caller gives
  std::string memory;
  std::string buffer;
  int64_t offset = 0;  // of the buffer's first byte in the file
  size_t pos = 0, fill = 0;
  bool at_end = false;
  bool pending_cr = false;  // a CR ended the last line: a LF after it is its end too
  std::string error;
};

// Opens the listing at `path`; "-" spools standard input now, refusing it
// past `spool_limit` bytes. False with `error` saying why.
bool open_listing_source(ListingSource& source, const std::string& path,
                         int64_t spool_limit = kSpoolLimit);

// A source over `text` (tests, and callers that hold the listing).
void text_listing_source(ListingSource& source, std::string text);

// The next line into `line`, its end removed; false at the end of the
// listing and on a failed read (then `error` is set). `cut` tells whether
// the line was longer than the capacity.
bool next_source_line(ListingSource& source, std::string& line, bool& cut);

// Starts again from the first line; false with `error` on failure.
bool rewind_listing_source(ListingSource& source);

void close_listing_source(ListingSource& source);

}  // namespace tolv
