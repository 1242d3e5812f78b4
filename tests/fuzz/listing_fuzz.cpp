// Fuzz target: arbitrary bytes as a listing, through the reader and the
// writer into a file base in memory (support/fake_os.h). The first byte picks
// the largest read the fake hands out (1 to 256 bytes), so line ends and long
// lines land on every buffer boundary.
//
// Checked for every input:
//  - the reader's limits: names of at most 254 bytes, 1 to 99 description
//    lines of at most 50 bytes;
//  - the entries equal those of a plain reference reader that splits the
//    whole input into lines at once;
//  - the file base holds exactly one record per entry, with the entry's
//    fields and lines, one description after the other;
//  - tolvbase's check finds neither a problem nor a note in it, doubts
//    about the listing's names and dates aside;
//  - tolvbase normalize, given the same bytes (and a width the first byte
//    picks), counts every line it reads once, writes only entry and
//    continuation lines of at most 83 bytes, and the reader takes exactly
//    the entries it says it wrote; every line tolvconv reads as a file entry
//    line is an entry to it or is named in a finding; normalizing what it
//    wrote gives the same bytes again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "filebase/description_lines.h"
#include "filebase/file_base.h"
#include "filebase/record.h"
#include "listing/number.h"
#include "listing/reader.h"
#include "normalize/normalize.h"
#include "runtime/io_error.h"
#include "support/fake_os.h"
#include "tolvbase/check.h"

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

// Stops the run at the first broken rule, naming its line.
#define require(condition) require_at(condition, __LINE__)
void require_at(bool condition, int line) {
  if (condition) return;
  fprintf(stderr, "listing_fuzz.cpp:%d: a rule does not hold\n", line);
  abort();
}

// The record file and description file hold exactly `expected`, in order,
// and the check that tolvbase makes of a base finds nothing.
void check_file_base(const test::MemoryFiles& memory, const std::vector<RefEntry>& expected) {
  const std::string& records = memory.files.at("base.dir");
  std::string_view descriptions = memory.files.at("base.des");
  require(records.size() == expected.size() * kRecordSize);
  size_t desc_at = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    FileRecord r =
        decode_record(reinterpret_cast<const uint8_t*>(records.data()) + i * kRecordSize);
    const RefEntry& e = expected[i];
    require(r.FileName.length <= kFileNameCapacity);
    require(r.FileName.view() == std::string_view(e.name).substr(0, kFileNameCapacity));
    require(r.Size == e.size && r.DateTime == e.date_time);
    require(r.Origin.view() == kOrigin && r.Flags == 0 && r.AuxCount == 0);
    require(r.DescPtr >= 0 && static_cast<size_t>(r.DescPtr) == desc_at);
    std::vector<std::string> lines;
    desc_at += decode_description(descriptions.substr(desc_at), r.DescLines, &lines).end;
    require(lines == e.desc);
  }
  require(desc_at == descriptions.size());

  ReadOnlyBase base;
  std::string error;
  require(open_base(base, "base", error));
  CheckResult result = check_base(base, [](const Finding&) {});
  close_base(base);
  // Doubts about names and dates are of the listing, not of the writer, and
  // so is a run of entries the listing repeats.
  require(!result.read_failed && result.problems == result.repeats &&
          result.notes == result.doubts);
  require(result.records == static_cast<int64_t>(expected.size()));
}

// The numbers of the lines tolvconv reads as file entry lines.
std::set<int64_t> converter_entry_lines(std::string_view input) {
  std::set<int64_t> lines;
  int64_t number = 0;
  for (size_t at = 0; at < input.size();) {
    size_t end = input.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = input.size();
    ++number;
    if (is_entry_line(input.substr(at, std::min(end - at, kLineCapacity)))) lines.insert(number);
    at = end + (input.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  return lines;
}

struct Normalized {
  NormalizeResult result;
  std::string output;
  std::set<int64_t> accounted;  // entry lines, and lines named in a finding
};

Normalized normalize(std::string_view input, size_t width) {
  Normalized n;
  ListingSource source;
  text_listing_source(source, std::string(input));
  NormalSink sink{[&](std::string_view lines) { n.output += lines; },
                  [&](const NormalFinding& f) { n.accounted.insert(f.line); },
                  [&](int64_t line, LineRole role, const EntryShape*) {
                    if (role == LineRole::Entry) n.accounted.insert(line);
                  }};
  NormalizeOptions options;
  options.width = width;
  n.result = normalize_listing(source, options, sink);
  return n;
}

// The input normalized in memory; its output is then read from the memory
// files as tolvconv reads a listing.
void check_normalize(test::MemoryFiles& memory, std::string_view input, size_t width) {
  Normalized run = normalize(input, width);
  const NormalCounts& c = run.result.counts;
  require(c.lines == c.entries + c.not_carried + c.continuations + c.dropped + c.skipped);
  require(run.result.error.empty() || run.output.empty());
  const std::string& output = run.output;
  for (size_t at = 0; at < output.size();) {
    size_t end = output.find("\r\n", at);
    require(end != std::string::npos && end - at <= 83);
    std::string_view line = std::string_view(output).substr(at, end - at);
    require(is_entry_line(line) || is_continuation_line(line));
    at = end + 2;
  }
  if (run.result.error.empty())
    for (int64_t line : converter_entry_lines(input)) require(run.accounted.count(line) == 1);
  memory.files["normal"] = output;
  static Listing listing;
  open_listing(listing, "normal");
  int64_t n = 0;
  while (next_entry(listing)) ++n;
  close_listing(listing);
  require(n == c.entries && pending_error == 0);
  if (run.result.error.empty()) require(normalize(output, width).output == output);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static test::MemoryFiles memory;
  memory.files.clear();
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  memory.files["listing"] = input;
  std::vector<RefEntry> expected = reference_entries(input);

  test::install_memory_files(memory);
  ssize_t max_read = ssize_t{data[0]} + 1;
  test::install_faults({test::Fault{
      .when = test::every_call(test::Call::Read), .short_count = max_read, .once = false}});
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
  check_file_base(memory, expected);
  check_normalize(memory, input, kMinWidth + data[0] % (kMaxWidth - kMinWidth + 1));
  test::restore_real_system();
  return 0;
}
