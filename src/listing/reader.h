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
#include <string_view>

#include "listing/columns.h"
#include "listing/entry.h"
#include "runtime/file.h"
#include "runtime/short_string.h"

namespace tolv {

inline constexpr size_t kInputBuffer = 256;

// What the reader made of a line it read.
enum class LineKind {
  Entry,         // a file entry line that started an entry
  Continuation,  // a '|' line of the entry before it (kept, or dropped past the 99th)
  Skipped,       // examined as the possible start of an entry and found not to be one
};

// Told about every line the reader reads, once it knows what the line is:
// its number (line ends counted as the reader counts them, from 1), its bytes
// as kept (at most 255) and its kind. An entry line and its continuation
// lines are told before next_entry returns the entry. The line that ends an
// entry's description is examined, and so told, during the next call of
// next_entry, before any line after it is read. So lines are told in order,
// each exactly once, and a line the reader never reads is never told.
struct LineObserver {
  void (*line)(void* context, int64_t number, std::string_view bytes, LineKind kind) = nullptr;
  void* context = nullptr;
};

// The fields of a file entry line as the reader takes them, before any is
// cut or converted: the name up to the first space (empty when the line has
// none or begins with one), columns 13-21, 24-31, and the text from column 34.
struct EntryFields {
  std::string_view name;
  std::string_view size;
  std::string_view date;
  std::string_view text;
};

EntryFields entry_fields(std::string_view line);

// The tests that make a line a file entry line ('-' in columns 26 and 29)
// and a continuation line ('|' in column 32).
bool is_entry_line(std::string_view line);
bool is_continuation_line(std::string_view line);

// The description text of a continuation line, from column 34, uncut.
std::string_view continuation_text(std::string_view line);

struct Listing {
  File file;
  uint8_t buffer[kInputBuffer];
  size_t fill = 0;
  size_t pos = 0;
  bool at_end = false;  // a refill gave no byte
  ShortString<kLineCapacity> line;
  bool line_pending = false;  // `line` was read but not yet examined
  Entry entry;
  int64_t line_number = 0;                 // lines read so far
  const LineObserver* observer = nullptr;  // none: nothing is told
};

// Opens the listing at `path` for reading; the empty path is standard input.
// Nothing is read yet. A failure leaves its code pending for the caller.
void open_listing(Listing& listing, const std::string& path);

// Starts reading a listing from `file`, opened by the caller (the companions
// open it themselves, to refuse what is not a regular file). Nothing is read
// yet; close_listing closes it.
void start_listing(Listing& listing, const File& file);

// The next entry, or nullptr at the end of the listing (and on every call
// after it). The entry lives in `listing` until the next call.
const Entry* next_entry(Listing& listing);

void close_listing(Listing& listing);

// True when every byte of the listing has been consumed.
bool end_of_input(Listing& listing);

// Reads one line into listing.line and consumes its line end.
void read_line(Listing& listing);

}  // namespace tolv
