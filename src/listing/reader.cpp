#include "listing/reader.h"

#include <cstring>

#include "listing/number.h"

namespace tolv {

namespace {

std::string_view line_of(const Listing& listing) {
  return listing.line.view();
}

// Tells the observer, if there is one, what the current line is.
void tell(const Listing& listing, LineKind kind) {
  if (listing.observer != nullptr)
    listing.observer->line(listing.observer->context, listing.line_number, line_of(listing), kind);
}

bool refill(Listing& listing) {
  if (listing.at_end) return false;
  listing.pos = 0;
  listing.fill = file_read(listing.file, listing.buffer, kInputBuffer);
  if (listing.fill == 0) listing.at_end = true;
  return listing.fill != 0;
}

void build_entry(Listing& listing) {
  EntryFields fields = entry_fields(line_of(listing));
  Entry& entry = listing.entry;
  entry.file_name.assign(fields.name);
  entry.size = parse_integer(fields.size);
  entry.date_time = convert_date(fields.date);
  entry.desc[0].assign(fields.text);
  entry.desc_count = 1;
}

// Reads the lines after an entry line while they carry '|' in column 32.
// Lines past the 99th description line are consumed and dropped. The line
// that ends the collection stays in listing.line, to be examined next.
void collect_continuation_lines(Listing& listing) {
  Entry& entry = listing.entry;
  do {
    read_line(listing);
    std::string_view line = line_of(listing);
    if (!is_continuation_line(line)) {
      listing.line_pending = true;
      return;
    }
    tell(listing, LineKind::Continuation);
    if (entry.desc_count < kMaxDescLines)
      entry.desc[entry.desc_count++].assign(continuation_text(line));
  } while (!end_of_input(listing));
}

}  // namespace

EntryFields entry_fields(std::string_view line) {
  size_t space = line.find(' ');
  return {space == std::string_view::npos ? std::string_view{} : line.substr(0, space),
          field_text(line, kSizeField), field_text(line, kDateField),
          field_text(line, {kTextColumn, std::string_view::npos})};
}

bool is_entry_line(std::string_view line) {
  return holds(line, kDashColumns[0], '-') && holds(line, kDashColumns[1], '-');
}

bool is_continuation_line(std::string_view line) {
  return holds(line, kBarColumn, '|');
}

std::string_view continuation_text(std::string_view line) {
  return field_text(line, {kTextColumn, std::string_view::npos});
}

void open_listing(Listing& listing, const std::string& path) {
  start_listing(listing, File{});
  file_open(listing.file, path, OpenMode::Read);
}

void start_listing(Listing& listing, const File& file) {
  listing.fill = listing.pos = 0;
  listing.at_end = false;
  listing.line.length = 0;
  listing.line_pending = false;
  listing.line_number = 0;
  listing.file = file;
}

bool end_of_input(Listing& listing) {
  return listing.pos == listing.fill && !refill(listing);
}

void read_line(Listing& listing) {
  ShortString<kLineCapacity>& line = listing.line;
  line.length = 0;
  ++listing.line_number;
  for (;;) {
    if (listing.pos == listing.fill && !refill(listing)) return;
    const uint8_t* start = listing.buffer + listing.pos;
    const uint8_t* stop = listing.buffer + listing.fill;
    const uint8_t* end = start;
    while (end != stop && *end != '\n' && *end != '\r') ++end;
    size_t take = std::min<size_t>(end - start, kLineCapacity - line.length);
    memcpy(line.text + line.length, start, take);
    line.length = static_cast<uint8_t>(line.length + take);
    listing.pos = end - listing.buffer;
    if (end == stop) continue;  // the line goes on in the next read
    listing.pos++;
    if (*end == '\r') {
      // A CR swallows an LF directly after it, even one in the next read.
      if (listing.pos == listing.fill && !refill(listing)) return;
      if (listing.buffer[listing.pos] == '\n') listing.pos++;
    }
    return;
  }
}

const Entry* next_entry(Listing& listing) {
  for (;;) {
    bool ended = end_of_input(listing);
    bool examine = listing.line_pending && is_entry_line(line_of(listing));
    if (listing.line_pending) tell(listing, examine ? LineKind::Entry : LineKind::Skipped);
    listing.line_pending = false;
    if (examine) {
      // A file entry line that is the listing's last line is converted too,
      // with its one description line.
      build_entry(listing);
      if (!ended) collect_continuation_lines(listing);
      return &listing.entry;
    }
    if (ended) return nullptr;
    read_line(listing);
    listing.line_pending = true;
  }
}

void close_listing(Listing& listing) {
  file_close(listing.file);
}

}  // namespace tolv
