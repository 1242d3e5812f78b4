// The preview over crafted listings: each finding kind on the line that
// shows it, lines that must not fire, and the order of what the sink gets.
#include "normalize/preview.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filebase/record.h"
#include "runtime/io_error.h"
#include "support/child.h"
#include "support/listing_text.h"
#include "support/random_listing.h"

namespace tolv {
namespace {

using test::continuation_line;
using test::entry_line;

struct Seen {
  int64_t line;
  std::string kind;  // a finding kind, or "entry"
  std::string message;
};

std::vector<Seen> preview_of(const std::string& bytes, PreviewCounts* counts = nullptr) {
  test::TempDir dir;
  test::write_file(dir / "x.lst", bytes);
  std::vector<Seen> seen;
  PreviewSink sink{[&](const PreviewEntry& e) {
                     seen.push_back({e.line, "entry", ""});
                   },
                   [&](const PreviewFinding& f) {
                     seen.push_back({f.line, doubt_name(f.kind), f.message});
                   }};
  PreviewResult result = preview_listing(dir / "x.lst", nullptr, sink);
  EXPECT_FALSE(result.failed) << result.error;
  EXPECT_EQ(pending_error, 0);
  if (counts) *counts = result.counts;
  return seen;
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// A name of `length` characters that still has '-' in columns 26 and 29.
std::string long_entry(size_t length) {
  std::string name(length, 'L');
  name[25] = name[28] = '-';
  return name + " text";
}

TEST(Preview, EachKindFiresOnItsLineAndOnlyThere) {
  std::string ok = entry_line("OK.ZIP", "100", "01-15-95", "fine");
  std::vector<std::string> many{ok};
  for (int i = 0; i < 100; ++i) many.push_back(continuation_line("more"));
  std::vector<std::string> files_bbs{"ONE.ZIP   first", "TWO.ZIP   second", "THREE.ZIP third",
                                     "FOUR.ZIP  fourth", ok};
  struct Case {
    std::vector<std::string> lines;
    int64_t line;      // 0: nothing fires
    const char* kind;  // the one kind that fires
    const char* part;  // a part of its message
    size_t total = 1;  // findings of every kind
  } cases[] = {
      {{"Header", ok, continuation_line("more")}, 0, "", ""},
      // separator
      {{"------------     ----    ----    -----"}, 1, "separator", "'------------' is a rule"},
      {{std::string(38, '-')}, 1, "separator", "holds no blank"},
      {{std::string(53, '-') + "Name             Size    Date    Description"},
       1,
       "separator",
       "is a rule"},
      // size-unreadable, and sizes that read as numbers
      {{entry_line("A.ZIP", "1,024", "01-15-95", "x")}, 1, "size-unreadable", "(a comma)"},
      {{entry_line("A.ZIP", "123      ", "01-15-95", "x")}, 1, "size-unreadable", "stored as 0"},
      {{entry_line("A.ZIP", "OFFLINE", "01-15-95", "x")}, 1, "size-unreadable", "not a number"},
      {{entry_line("A.ZIP", "*", "01-15-95", "x")}, 1, "size-unreadable", "not a number"},
      {{entry_line("A.ZIP", "-5", "01-15-95", "x")}, 1, "size-unreadable", "stored as -5"},
      {{entry_line("A.ZIP", "", "01-15-95", "x"), entry_line("B.ZIP", "0", "01-15-95", "x")},
       0,
       "",
       ""},
      // date-impossible, and dates that convert as written
      {{entry_line("A.ZIP", "1", "13-01-95", "x")}, 1, "date-impossible", "month 13"},
      {{entry_line("A.ZIP", "1", "01-32-95", "x")}, 1, "date-impossible", "day 32"},
      {{entry_line("A.ZIP", "1", "xx-01-95", "x")}, 1, "date-impossible", "1995-00-01"},
      {{entry_line("A.ZIP", "1", "00-00-00", "x")}, 1, "date-impossible", "month 0"},
      {{entry_line("A.ZIP", "1", " 1-15-95", "x"), entry_line("B.ZIP", "1", "12-31-79", "")},
       0,
       "",
       ""},
      // names
      {{long_entry(75)}, 1, "name-cut", "first 70"},
      {{long_entry(70)}, 1, "name-runs-on", "the date from columns 24-31 as 2000-00-00"},
      {{"ABCDEFGHIJKLM12345678  01-15-95  x"}, 1, "name-runs-on", "('M12345678') as 0"},
      {{entry_line("A\tB.ZIP", "1", "01-15-95", "x")}, 1, "name-runs-on", "a TAB at column 2"},
      {{entry_line("ABCDEFGH.ZIP", "123456789", "01-15-95", "x")},
       1,
       "name-runs-on",
       "stored as 'ABCDEFGH.ZIP123456789'"},
      {{entry_line("ABCDEFGH.ZIP", "12345678", "01-15-95", "x")}, 0, "", ""},
      // text-cut, and trailing blanks past the 50th character
      {{entry_line("A.ZIP", "1", "01-15-95", std::string(60, 't'))}, 1, "text-cut", "column 84"},
      {{ok, continuation_line(std::string(51, 't'))}, 2, "text-cut", "one character"},
      {{entry_line("A.ZIP", "1", "01-15-95", std::string(50, 't') + "     ")}, 0, "", ""},
      // lines-dropped
      {many, 100, "lines-dropped", "101 description lines: the 2 from this one on"},
      // near-miss
      {{"FOO.ZIP       12345  01-15-95  text"},
       1,
       "near-miss",
       "columns 22-29, two columns left of columns 24-31"},
      {{"FOO.ZIP         1234  01/15/95  x"}, 1, "near-miss", "written with '/'"},
      {{" FOO.ZIP          1234  01-15-95  x"}, 1, "near-miss", "the line starts with a blank"},
      {{"2all.zip  12/15/2010 06:34 PM  11258 Bytes"}, 1, "near-miss", "four-digit year"},
      {{"Updated 12-24-93 with 300 new files", "FOO.ZIP  01-15-95 no size"}, 0, "", ""},
      // lost-continuation, and '|' lines with no entry above
      {{ok, "", continuation_line("lost")}, 3, "lost-continuation", "the blank line 2"},
      {{ok, std::string(30, ' ') + "| lost"}, 2, "lost-continuation", "'|' in column 31"},
      {{ok, std::string(33, ' ') + "lost"}, 2, "lost-continuation", "not added to OK.ZIP"},
      {{ok, "  reflowed after two blanks"}, 2, "lost-continuation", "not added to OK.ZIP"},
      {{"FOO.ZIP     12345 1-15-95  x", continuation_line("lost")},
       2,
       "lost-continuation",
       "line 1, which tolvconv does not read",
       2},
      {{"Header", continuation_line("no entry"), "", std::string(33, ' ') + "note"}, 0, "", ""},
      // include
      {{"%C:\\PCB\\HDR1.TXT", ok}, 1, "include", "'C:\\PCB\\HDR1.TXT'"},
      {{"%", "% of files"}, 0, "", ""},
      // ctrl-z
      {{ok, continuation_line("end\x1a" + entry_line("NEXT.ZIP", "1", "01-15-95", "x"))},
       2,
       "ctrl-z",
       "the entry 'NEXT.ZIP' after it"},
      {{ok, "\x1a"}, 0, "", ""},
      // repeat
      {{ok, ok}, 2, "repeat", "also on line 1"},
      {{ok, entry_line("ok.zip", "100", "01-15-95", "x")}, 2, "repeat", "only in letter case"},
      // CP437's 0x9B is a letter: left for the display to decode or escape
      {{entry_line("A\x9b.ZIP", "1", "01-15-95", "x"),
        entry_line("A\x9b.ZIP", "1", "01-15-95", "y")},
       2,
       "repeat",
       "the name A\x9b.ZIP is also on line 1"},
      // layout, and a few such lines among many entries
      {files_bbs, 1, "layout", "as layout files-bbs (4 lines fit it)"},
      {{"ONE.ZIP   first", ok, entry_line("B.ZIP", "1", "01-15-95", ""), "TWO.ZIP   second",
        entry_line("C.ZIP", "1", "01-15-95", ""), "SIX.ZIP six"},
       0,
       "",
       ""},
  };
  for (const Case& c : cases) {
    std::string listing = crlf(c.lines);
    std::vector<Seen> found;
    for (const Seen& s : preview_of(listing))
      if (s.kind != "entry" && s.kind != "no-entry") found.push_back(s);
    if (c.line == 0) {
      for (const Seen& s : found)
        ADD_FAILURE() << testing::PrintToString(listing) << ": " << s.line << ": " << s.kind << ": "
                      << s.message;
      continue;
    }
    ASSERT_EQ(found.size(), c.total) << testing::PrintToString(listing);
    const Seen& last = found.back();
    EXPECT_EQ(last.line, c.line) << c.kind;
    EXPECT_EQ(last.kind, c.kind) << testing::PrintToString(listing);
    EXPECT_NE(last.message.find(c.part), std::string::npos) << last.message;
  }
}

TEST(Preview, AListingThatYieldsNoEntrySaysSoAndWhatNormalizeWouldCarry) {
  struct Case {
    std::string listing;
    const char* part;
  } cases[] = {
      {"", "tolvconv would convert nothing"},
      {crlf({"ONE.ZIP   first", "TWO.ZIP   second", "THREE.ZIP third"}),
       "reads it as layout files-bbs and would carry 0 entries"},
      {crlf({"ONE.ZIP  4,096  01-15-95  first", "TWO.ZIP  1,024  01-15-95  second"}),
       "reads it as layout spitfire and would carry 2 entries"},
  };
  for (const Case& c : cases) {
    PreviewCounts counts;
    std::vector<Seen> seen = preview_of(c.listing, &counts);
    ASSERT_FALSE(seen.empty()) << c.listing;
    EXPECT_EQ(seen.back().kind, "no-entry");
    EXPECT_NE(seen.back().message.find(c.part), std::string::npos) << seen.back().message;
    EXPECT_EQ(counts.by_kind[static_cast<int>(Doubt::NoEntry)], 1);
  }
}

TEST(Preview, EntriesAndFindingsReachTheSinkInLineOrder) {
  PreviewCounts counts;
  std::vector<Seen> seen = preview_of(crlf({
                                          "%HEAD.TXT",
                                          entry_line("A.ZIP", "1,5", "13-01-95", "x"),
                                          continuation_line(std::string(60, 'x')),
                                          "",
                                          continuation_line("lost"),
                                          entry_line("A.ZIP", "1", "01-15-95", "x"),
                                      }),
                                      &counts);
  std::vector<std::pair<int64_t, std::string>> order;
  for (const Seen& s : seen) order.emplace_back(s.line, s.kind);
  EXPECT_EQ(order, (std::vector<std::pair<int64_t, std::string>>{{1, "include"},
                                                                 {2, "entry"},
                                                                 {2, "size-unreadable"},
                                                                 {2, "date-impossible"},
                                                                 {3, "text-cut"},
                                                                 {5, "lost-continuation"},
                                                                 {6, "entry"},
                                                                 {6, "repeat"}}));
  EXPECT_EQ(counts.entries, 2);
  EXPECT_EQ(counts.appended_with_dupe, 1);  // the repeat counts as already in the base
  EXPECT_EQ(counts.findings, 6);
  EXPECT_EQ(counts.by_kind[static_cast<int>(Doubt::Repeat)], 1);
}

// What a record keeps of an entry, to compare the two.
struct Kept {
  std::string name;
  int32_t size;
  uint32_t date;
  int lines;
  bool operator==(const Kept&) const = default;
};

std::vector<Kept> records_from(const std::string& bytes, size_t first = 0) {
  std::vector<Kept> out;
  for (size_t at = first * kRecordSize; at + kRecordSize <= bytes.size(); at += kRecordSize) {
    FileRecord r = decode_record(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
    out.push_back({std::string(r.FileName.view()), r.Size, r.DateTime, r.DescLines});
  }
  return out;
}

// The preview's entries are the records tolvconv appends, in order; with a
// base, the entries it marks as duplicates are those a -DUPE run skips.
TEST(Preview, EntriesAreTheRecordsTolvconvAppends) {
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    test::TempDir dir;
    // Listings of seeds 97 apart share most names.
    test::write_file(dir / "old.lst", test::random_listing(seed + 97));
    test::write_file(dir / "new.lst", test::random_listing(seed));
    ASSERT_EQ(test::run_program_in_child({dir / "old.lst", dir / "base"}).status, 0);
    ASSERT_EQ(test::run_program_in_child({dir / "new.lst", dir / "plain"}).status, 0);

    ReadOnlyBase base;
    NameIndex names;
    std::string error;
    ASSERT_TRUE(open_base(base, dir / "base", error)) << error;
    ASSERT_TRUE(load_base_names(base, names, error)) << error;
    size_t stored = static_cast<size_t>(record_count(base));
    close_base(base);
    std::vector<Kept> all, appended;
    PreviewSink sink{[&](const PreviewEntry& e) {
                       Kept kept{
                           std::string(e.entry->file_name.view().substr(0, kFileNameCapacity)),
                           e.entry->size, e.entry->date_time, e.entry->desc_count};
                       all.push_back(kept);
                       if (!e.duplicate) appended.push_back(kept);
                     },
                     {}};
    PreviewResult result = preview_listing(dir / "new.lst", &names, sink);
    ASSERT_FALSE(result.failed) << result.error;
    EXPECT_EQ(all, records_from(test::read_file(dir / "plain.dir"))) << "seed " << seed;

    ASSERT_EQ(test::run_program_in_child({dir / "new.lst", dir / "base", "-DUPE"}).status, 0);
    EXPECT_EQ(appended, records_from(test::read_file(dir / "base.dir"), stored)) << "seed " << seed;
    EXPECT_EQ(result.counts.appended_with_dupe, static_cast<int64_t>(appended.size()));
    EXPECT_EQ(result.counts.entries, static_cast<int64_t>(all.size()));
    EXPECT_LT(appended.size(), all.size()) << "seed " << seed << ": no duplicate was tried";
  }
}

TEST(Preview, AListingThatCannotBeReadFails) {
  test::TempDir dir;
  PreviewSink sink;
  for (const std::string& path : {dir / "missing.lst", dir.path}) {
    PreviewResult result = preview_listing(path, nullptr, sink);
    EXPECT_TRUE(result.failed) << path;
    EXPECT_NE(result.error.find(path), std::string::npos) << result.error;
    EXPECT_EQ(pending_error, 0);
  }
}

}  // namespace
}  // namespace tolv
