// Fuzz target: arbitrary bytes as a listing, through the reader and the
// writer into an in-memory file base. The first byte picks the largest read
// the fake file system hands out (1 to 256 bytes), so line ends and long
// lines land on every buffer boundary.
//
// Checked for every input:
//  - the reader's limits: names of at most 254 bytes, 1 to 99 description
//    lines of at most 50 bytes;
//  - the entries equal those of a plain reference reader that splits the
//    whole input into lines at once;
//  - the file base holds exactly one record per entry, every record points
//    inside the description file at exactly DescLines complete lines, and the
//    description lines follow one another with no gap.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "filebase/file_base.h"
#include "filebase/record.h"
#include "listing/number.h"
#include "listing/reader.h"
#include "memory_files.h"
#include "runtime/io_error.h"

namespace {

using namespace tolv;

struct RefEntry {
  std::string name;
  int32_t size;
  uint32_t date_time;
  std::vector<std::string> desc;
};

std::vector<std::string> split_lines(std::string_view in) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < in.size()) {
    size_t j = i;
    while (j < in.size() && in[j] != '\r' && in[j] != '\n') ++j;
    lines.emplace_back(in.substr(i, std::min<size_t>(j - i, kLineCapacity)));
    if (j < in.size()) j += (in[j] == '\r' && j + 1 < in.size() && in[j + 1] == '\n') ? 2 : 1;
    i = j;
  }
  return lines;
}

bool at(const std::string& line, size_t column, char c) {
  return line.size() >= column && line[column - 1] == c;
}

std::string from(const std::string& line, size_t column, size_t width) {
  return line.size() < column ? std::string() : line.substr(column - 1, width);
}

std::vector<RefEntry> reference_entries(std::string_view input) {
  std::vector<std::string> lines = split_lines(input);
  std::vector<RefEntry> entries;
  size_t next = 0;
  bool pending = false;
  std::string current;
  for (;;) {
    bool ended = next == lines.size();
    bool examine = pending && at(current, 26, '-') && at(current, 29, '-');
    pending = false;
    if (examine) {
      RefEntry e;
      size_t space = current.find(' ');
      e.name = space == std::string::npos ? "" : current.substr(0, space);
      e.size = parse_integer(from(current, 13, 9));
      e.date_time = convert_date(from(current, 24, 8));
      e.desc.push_back(from(current, 34, 50));
      while (!ended && next < lines.size()) {
        current = lines[next++];
        if (!at(current, 32, '|')) {
          pending = true;
          break;
        }
        if (e.desc.size() < kMaxDescLines) e.desc.push_back(from(current, 34, 50));
      }
      entries.push_back(e);
      continue;
    }
    if (ended) break;
    current = lines[next++];
    pending = true;
  }
  return entries;
}

void require(bool condition) {
  if (!condition) abort();
}

// The record file and description file hold exactly `expected`, in order.
void check_file_base(const fuzz::MemoryFiles& files, const std::vector<RefEntry>& expected) {
  require(files.records.size() == expected.size() * kRecordSize);
  size_t desc_at = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    FileRecord r =
        decode_record(reinterpret_cast<const uint8_t*>(files.records.data()) + i * kRecordSize);
    const RefEntry& e = expected[i];
    require(r.FileName.length <= kFileNameCapacity);
    require(r.FileName.view() == std::string_view(e.name).substr(0, kFileNameCapacity));
    require(r.Size == e.size && r.DateTime == e.date_time);
    require(r.Origin.view() == kOrigin && r.Flags == 0 && r.AuxCount == 0);
    require(r.DescPtr >= 0 && static_cast<size_t>(r.DescPtr) == desc_at);
    require(r.DescLines == e.desc.size());
    for (const std::string& line : e.desc) {
      require(desc_at < files.descriptions.size());
      size_t length = static_cast<uint8_t>(files.descriptions[desc_at]);
      require(length == line.size());
      require(desc_at + 1 + length <= files.descriptions.size());
      require(files.descriptions.compare(desc_at + 1, length, line) == 0);
      desc_at += 1 + length;
    }
  }
  require(desc_at == files.descriptions.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  fuzz::MemoryFiles files;
  files.max_read = size_t{data[0]} + 1;
  files.listing = std::string_view(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<RefEntry> expected = reference_entries(files.listing);

  fuzz::install(files);
  pending_error = 0;
  static Listing listing;
  static FileBase base;
  open_listing(listing, "listing");
  open_file_base(base, "base.dir", "base.des");
  size_t n = 0;
  while (const Entry* entry = next_entry(listing)) {
    require(n < expected.size());
    const RefEntry& e = expected[n++];
    require(entry->file_name.length <= kLineCapacity - 1);
    require(entry->desc_count >= 1 && entry->desc_count <= kMaxDescLines);
    require(entry->file_name.view() == e.name);
    require(entry->size == e.size && entry->date_time == e.date_time);
    require(static_cast<size_t>(entry->desc_count) == e.desc.size());
    for (int i = 0; i < entry->desc_count; ++i) {
      require(entry->desc[i].length <= kDescLineCapacity);
      require(entry->desc[i].view() == e.desc[i]);
    }
    append_entry(base, *entry);
    require(pending_error == 0);
  }
  require(n == expected.size());
  close_listing(listing);
  close_file_base(base);
  require(pending_error == 0);
  fuzz::uninstall();
  check_file_base(files, expected);
  return 0;
}
