// tolvbase's check and its reading of a base: bases built with the record
// layout of src/filebase, then damaged byte by byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "companion/base.h"
#include "companion/output.h"
#include "filebase/record.h"
#include "support/child.h"
#include "support/fake_os.h"
#include "support/stored_base.h"
#include "tolvbase/check.h"
#include "tolvbase/list.h"

namespace tolv {
namespace {

using test::TempDir;
using test::write_file;

using Stored = test::StoredBase;

// Three sound records: names of 70 characters and an Origin of 30 are the
// limits, not past them; empty description lines are fine.
void add_three_records(Stored& s) {
  int first = static_cast<int>(s.records.size() / kRecordSize);
  s.add(std::string(70, 'N'), {"first", ""});
  s.add("TWO.ZIP", {std::string(50, 'x')});
  s.add("THREE.ZIP", {"a", "b", "c"});
  s.set8(first + 1, kOriginAt, 30);
}

Stored three_records() {
  Stored s;
  add_three_records(s);
  return s;
}

struct Findings {
  std::vector<std::pair<FindingKind, int64_t>> found;
  std::vector<Finding> findings;
  CheckResult result;
};

Findings check(const Stored& stored) {
  TempDir dir;
  test::write_base(dir / "b", stored);
  test::BaseCheck checked = test::check_stored_base(dir / "b.xyz");
  EXPECT_TRUE(checked.opened) << checked.error;
  Findings f{{}, checked.findings, checked.result};
  for (const Finding& finding : f.findings) f.found.emplace_back(finding.kind, finding.record);
  return f;
}

using K = FindingKind;
using Found = std::vector<std::pair<FindingKind, int64_t>>;

TEST(TolvbaseCheck, SoundBaseHasNoFindings) {
  Findings f = check(three_records());
  EXPECT_EQ(f.found, Found{});
  EXPECT_EQ(f.result.records, 3);
  EXPECT_EQ(f.result.problems, 0);
  EXPECT_FALSE(f.result.read_failed);
  EXPECT_EQ(check(Stored{}).found, Found{});  // an empty base is sound
}

TEST(TolvbaseCheck, EachDamageIsNamedWithItsRecord) {
  struct Case {
    const char* what;
    void (*damage)(Stored&);
    Found expected;
  } cases[] = {
      {"FileName length 71",
       [](Stored& s) { s.set8(1, kFileNameAt, 71); },
       {{K::FileNameTooLong, 1}}},
      {"FileName length 255",
       [](Stored& s) { s.set8(0, kFileNameAt, 255); },
       {{K::FileNameTooLong, 0}}},
      {"Origin length 31", [](Stored& s) { s.set8(2, kOriginAt, 31); }, {{K::OriginTooLong, 2}}},
      // The lines of a record that points elsewhere belong to no record.
      {"DescPtr -1",
       [](Stored& s) { s.set32(1, kDescPtrAt, -1); },
       {{K::NegativeDescPtr, 1}, {K::UnreferencedBytes, -1}}},
      {"DescPtr past the end",
       [](Stored& s) { s.set32(2, kDescPtrAt, static_cast<int32_t>(s.descriptions.size()) + 1); },
       {{K::DescPtrOutside, 2}, {K::UnreferencedBytes, -1}}},
      {"one line too many at the end",
       [](Stored& s) { s.set8(2, kDescLinesAt, 4); },
       {{K::DescriptionPastEnd, 2}}},
      // The last line "c" claims 9 characters.
      {"a line length past the end",
       [](Stored& s) { s.descriptions[s.descriptions.size() - 2] = 9; },
       {{K::DescriptionPastEnd, 2}}},
      {"DescPtr at the very end",
       [](Stored& s) { s.set32(2, kDescPtrAt, static_cast<int32_t>(s.descriptions.size())); },
       {{K::DescriptionPastEnd, 2}, {K::UnreferencedBytes, -1}}},
      {"DescLines 0",
       [](Stored& s) { s.set8(0, kDescLinesAt, 0); },
       {{K::NoDescLines, 0}, {K::UnreferencedBytes, -1}}},
      // Two writers at once: record 1 points into record 0's text, and its
      // own lines belong to no record.
      {"two records share their text",
       [](Stored& s) {
         s.set32(1, kDescPtrAt, 0);
         s.set8(1, kDescLinesAt, 1);
       },
       {{K::SharedDescription, 1}, {K::UnreferencedBytes, -1}}},
      // Record 2 reads a line of 3 from byte 8, inside record 1's (bytes
      // 7-57), and past the end of record 0's: the furthest end must move on.
      {"a text starting inside the previous record's",
       [](Stored& s) {
         s.descriptions[8] = 3;
         s.set32(2, kDescPtrAt, 8);
         s.set8(2, kDescLinesAt, 1);
       },
       {{K::SharedDescription, 2}, {K::UnreferencedBytes, -1}}},
  };
  for (const Case& c : cases) {
    Stored stored = three_records();
    c.damage(stored);
    Findings f = check(stored);
    EXPECT_EQ(f.found, c.expected) << c.what;
    EXPECT_GT(f.result.problems, 0) << c.what;
  }
}

// Records a sysop would not want are notes (doubts), never problems.
TEST(TolvbaseCheck, DoubtfulRecordsAreNotes) {
  constexpr int kDateAt = 76;
  struct Case {
    const char* what;
    std::vector<std::string> names;  // added after three_records()
    Found expected;
    int dated_record = -1;  // gets `date`
    uint32_t date = 0;
  } cases[] = {
      {"empty name", {""}, {{K::RuleName, 3}}},
      {"dash row", {"------------"}, {{K::RuleName, 3}}},
      {"rule with a header glued on", {"=====Name"}, {{K::RuleName, 3}}},
      {"a rule is not a repeat either", {"----", "----"}, {{K::RuleName, 3}, {K::RuleName, 4}}},
      {"same name twice", {"TWO.ZIP"}, {{K::RepeatedName, 3}}},
      {"names equal but for case",
       {"two.zip", "Two.Zip"},
       {{K::OtherCaseName, 3}, {K::OtherCaseName, 4}}},
      {"names that only look alike", {"TWO.ZIP.", "TWO-ZIP", "A-B.ZIP"}, {}},
      {"month 0", {}, {{K::ImpossibleDate, 1}}, 1, 0x1E0F0000},
      {"month 13 (a day of 40 carried)", {}, {{K::ImpossibleDate, 2}}, 2, 0x27C80000 + (1 << 21)},
      {"day 0", {}, {{K::ImpossibleDate, 0}}, 0, 0x1E200000},
      {"2079-12-31 is a date", {}, {}, 0, 0xC79F0000},
  };
  for (const Case& c : cases) {
    Stored stored = three_records();
    for (const std::string& name : c.names) stored.add(name, {"x"});
    if (c.dated_record >= 0) stored.set32(c.dated_record, kDateAt, static_cast<int32_t>(c.date));
    Findings f = check(stored);
    EXPECT_EQ(f.found, c.expected) << c.what;
    EXPECT_EQ(f.result.problems, 0) << c.what;
    EXPECT_EQ(f.result.doubts, static_cast<int>(c.expected.size())) << c.what;
    EXPECT_EQ(f.result.notes, f.result.doubts) << c.what;
  }
}

// A listing converted twice: the records from N repeat earlier ones, each
// with its name, size, date and text. Only that is the problem; a name
// repeated with other text, or one record appended again and again, is
// the repeated-name note alone.
TEST(TolvbaseCheck, RecordsThatRepeatARunInOrderAreAProblem) {
  struct Entry {
    std::string name, text = "x";
    int32_t size = 1000;
  };
  struct Case {
    const char* what;
    std::vector<Entry> entries;  // added after three_records()
    bool doubled;                // three_records() added again first
    std::string repeat;          // the start of the problem's text; empty: none
  } cases[] = {
      {"the whole base doubled", {}, true, "records 3-5 repeat records 0-2 one for one"},
      {"the last run's part doubled",
       {{"A.ZIP"}, {"B.ZIP"}, {"C.ZIP"}, {"A.ZIP"}, {"B.ZIP"}, {"C.ZIP"}},
       false,
       "records 6-8 repeat records 3-5 one for one"},
      {"a second run cut short",
       {{"A.ZIP"}, {"B.ZIP"}, {"C.ZIP"}, {"A.ZIP"}, {"B.ZIP"}},
       false,
       "records 6-7 repeat records 3-4 one for one"},
      {"the whole base doubled, then a run", {{"A.ZIP"}}, true, ""},
      {"a name repeated, its text another", {{"TWO.ZIP"}}, false, ""},
      {"one record appended three times", {{"A.ZIP"}, {"A.ZIP"}, {"A.ZIP"}}, false, ""},
      {"two names in another order", {{"A.ZIP"}, {"B.ZIP"}, {"B.ZIP"}, {"A.ZIP"}}, false, ""},
      {"names repeated with other text",
       {{"A.ZIP"}, {"B.ZIP"}, {"A.ZIP", "y"}, {"B.ZIP", "y"}},
       false,
       ""},
      {"names repeated with other sizes",
       {{"A.ZIP"}, {"B.ZIP"}, {"A.ZIP", "x", 1}, {"B.ZIP", "x", 1}},
       false,
       ""},
  };
  for (const Case& c : cases) {
    Stored stored = three_records();
    if (c.doubled) add_three_records(stored);
    for (const Entry& e : c.entries) stored.add(e.name, {e.text}, e.size);
    Findings f = check(stored);
    std::string found;
    for (const Finding& finding : f.findings)
      if (finding.kind == K::RepeatedRun) found = finding.text;
    EXPECT_EQ(found.substr(0, c.repeat.size()), c.repeat) << c.what << ": " << found;
    EXPECT_EQ(found.empty(), c.repeat.empty()) << c.what << ": " << found;
    EXPECT_EQ(f.result.problems, c.repeat.empty() ? 0 : 1) << c.what;
    EXPECT_EQ(f.result.repeats, f.result.problems) << c.what;
  }
  // A one-record base converted twice, and the truncate that mends it; but
  // the first record appended again after others is a repeated name only.
  Stored one;
  one.add("A.ZIP", {"x"});
  one.add("B.ZIP", {"x"});
  one.add("A.ZIP", {"x"});
  EXPECT_EQ(check(one).found, (Found{{K::RepeatedName, 2}}));
  one = {};
  for (int i = 0; i < 4; ++i) one.add("A.ZIP", {"x"});  // its first half is not a run either
  EXPECT_EQ(check(one).found,
            (Found{{K::RepeatedName, 1}, {K::RepeatedName, 2}, {K::RepeatedName, 3}}));
  one = {};
  one.add("A.ZIP", {"x"});
  one.add("A.ZIP", {"x"});
  Findings f = check(one);
  ASSERT_EQ(f.found, (Found{{K::RepeatedName, 1}, {K::RepeatedRun, -1}}));
  EXPECT_EQ(f.findings[1].text.substr(0, 25), "record 1 repeats record 0");
  EXPECT_NE(f.findings[1].text.find("b.dir 1' removes the repeat"), std::string::npos)
      << f.findings[1].text;
}

TEST(TolvbaseCheck, LeftoversOfAnInterruptedRunAreNotesOnly) {
  Stored fragment = three_records();
  fragment.records += std::string(50, 'f');
  Findings f = check(fragment);
  EXPECT_EQ(f.found, (Found{{K::TrailingFragment, -1}}));
  EXPECT_EQ(f.result.records, 3);
  EXPECT_EQ(f.result.problems, 0);
  EXPECT_NE(f.findings[0].text.find("fragment of 50 bytes after its 3 whole records"),
            std::string::npos)
      << f.findings[0].text;

  // Lines written for an entry whose record never was, at the end.
  Stored orphans = three_records();
  size_t end = orphans.descriptions.size();
  orphans.descriptions +=
      "\x05"
      "lost!";
  f = check(orphans);
  EXPECT_EQ(f.found, (Found{{K::UnreferencedBytes, -1}}));
  EXPECT_EQ(f.result.problems, 0);
  std::string range = std::to_string(end) + "-" + std::to_string(end + 5) + " (6 bytes)";
  EXPECT_NE(f.findings[0].text.find(range), std::string::npos) << f.findings[0].text;
}

TEST(TolvbaseCheck, ADescriptionLinePastFiftyCharactersIsANote) {
  // 50 is the most tolvconv writes; one more is already a note.
  for (size_t length : {size_t{50}, size_t{51}, size_t{255}}) {
    Stored s;
    s.add("A.ZIP", {"first", std::string(length, 'y')});
    Findings f = check(s);
    EXPECT_EQ(f.found, (length > 50 ? Found{{K::LongDescLine, 0}} : Found{})) << length;
    EXPECT_EQ(f.result.problems, 0) << length;
  }
}

TEST(TolvbaseCheck, ManyNotesOfAKindAreSummedUpAfterTheFirstFew) {
  // Ten runs of lost lines, one after each record; and a record holding a
  // line no conversion writes.
  Stored s;
  for (int i = 0; i < 10; ++i) {
    s.add(std::to_string(i) + ".ZIP", {"text"});
    s.descriptions += "\x01z";
  }
  s.add("LONG.ZIP", {"short", std::string(60, 'y')});
  // Four more records of one name: the doubts are summed up too.
  for (int i = 0; i < 4; ++i) s.add("LONG.ZIP", {"x"});
  Findings f = check(s);
  EXPECT_EQ(f.found, (Found{{K::LongDescLine, 10},
                            {K::RepeatedName, 11},
                            {K::RepeatedName, 12},
                            {K::RepeatedName, 13},
                            {K::UnreferencedBytes, -1},
                            {K::UnreferencedBytes, -1},
                            {K::UnreferencedBytes, -1},
                            {K::RepeatedName, -1},
                            {K::UnreferencedBytes, -1}}));
  EXPECT_EQ(f.result.problems, 0);
  EXPECT_EQ(f.result.notes, 15);
  EXPECT_EQ(f.findings[7].text,
            "notes of this kind not shown: 1 (records that repeat the name of an earlier record)");
  EXPECT_EQ(f.findings[0].text,
            "description line 2 has 60 characters; tolvconv never writes more than 50");
  EXPECT_EQ(f.findings[8].text,
            "7 more runs of description bytes (14 bytes) belong to no record; 10 such runs mean "
            "that records were lost (for instance by two conversions writing the base at once), "
            "not that one conversion was cut short");
}

TEST(TolvbaseCheck, UnreferencedBytesAreFoundWhateverTheOrderOfTheRecords) {
  // Records pointing backwards, two sharing their lines, and a gap between.
  Stored s;
  s.descriptions = std::string(
      "\x03"
      "one"
      "\x02"
      "ga"
      "\x03"
      "two");  // 4-6 belong to none
  auto record_at = [&](int32_t ptr) {
    Stored one;
    std::string name = "X";
    name += std::to_string(s.records.size());
    one.add(name, {"one"});
    one.set32(0, kDescPtrAt, ptr);
    s.records += one.records;
  };
  record_at(7);
  record_at(0);
  record_at(0);
  Findings f = check(s);
  // The two records sharing their lines are a problem of their own.
  ASSERT_EQ(f.found, (Found{{K::SharedDescription, 2}, {K::UnreferencedBytes, -1}}));
  EXPECT_EQ(f.findings[0].text,
            "its description (bytes 0-3) overlaps that of record 1 (bytes 0-3): one of them "
            "shows text that is not its own");
  EXPECT_NE(f.findings[1].text.find("bytes 4-6 (3 bytes)"), std::string::npos)
      << f.findings[1].text;
}

TEST(TolvbaseCheck, LargeBaseIsReadAcrossBlocksAndWindows) {
  // More records than one block of the record cursor, more description
  // bytes than one window of the description reader.
  Stored s;
  for (int i = 0; i < 1500; ++i)
    s.add(std::to_string(i) + ".ZIP", {std::string(50, 'a'), std::string(49, 'b')});
  ASSERT_GT(s.descriptions.size(), 128u * 1024);
  EXPECT_EQ(check(s).found, Found{});
  s.set8(1234, kDescLinesAt, 0);
  s.set8(1499, kDescLinesAt, 3);
  Findings f = check(s);
  // Problems in record order, then the notes.
  EXPECT_EQ(
      f.found,
      (Found{{K::NoDescLines, 1234}, {K::DescriptionPastEnd, 1499}, {K::UnreferencedBytes, -1}}));
  EXPECT_EQ(f.result.records, 1500);
}

// The base's two files, written for a test that opens them itself.
std::string write_base(const TempDir& dir, const Stored& stored) {
  test::write_base(dir / "b", stored);
  return dir / "b";
}

TEST(TolvbaseRead, OpensTheBaseReadOnlyAndNeverWritesIt) {
  TempDir dir;
  Stored stored = three_records();
  std::string path = write_base(dir, stored);
  int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(sink, 0);

  // Watches every call without failing any.
  std::vector<test::CallInfo> calls;
  test::install_faults({test::Fault{[&](const test::CallInfo& call) {
                                      calls.push_back(call);
                                      return false;
                                    },
                                    0, -1, false}});
  ReadOnlyBase base;
  std::string error;
  bool opened = open_base(base, path, error);
  CheckResult result = check_base(base, [](const Finding&) {});
  Output out;
  out.fd = sink;
  bool listed = list_base(base, Decoder{}, out) && flush(out);
  close_base(base);
  test::remove_faults();
  ::close(sink);

  ASSERT_TRUE(opened) << error;
  EXPECT_EQ(result.problems, 0);
  EXPECT_TRUE(listed);
  int opens = 0, writes = 0;
  for (const test::CallInfo& call : calls) {
    if (call.kind == test::Call::Open) {
      ++opens;
      EXPECT_EQ(call.flags & O_ACCMODE, O_RDONLY) << call.path;
      EXPECT_FALSE(call.flags & (O_CREAT | O_TRUNC)) << call.path;
    }
    EXPECT_NE(call.kind, test::Call::Pwrite);
    if (call.kind == test::Call::Write) {
      ++writes;
      EXPECT_EQ(call.fd, sink);
    }
  }
  EXPECT_EQ(opens, 2);
  EXPECT_GT(writes, 0);
  EXPECT_EQ(test::read_file(dir / "b.dir"), stored.records);
  EXPECT_EQ(test::read_file(dir / "b.des"), stored.descriptions);
}

TEST(TolvbaseRead, FailuresNameTheFileAndTheCause) {
  TempDir dir;
  std::string path = write_base(dir, three_records());
  struct Case {
    const char* what;
    test::Fault fault;
    bool opens;
    int closes;          // whatever was opened is closed again, also after a failed open
    const char* before;  // the message: before, the file's path in quotes, after
    const char* file;
    const char* after;
  };
  const std::vector<Case> cases = {
      {"description file refused",
       {test::open_of(".des"), EACCES},
       false,
       1,
       "cannot open ",
       "b.des",
       ": Permission denied"},
      {"record file missing",
       {test::open_of(".dir"), ENOENT},
       false,
       0,
       "cannot open ",
       "b.dir",
       ": No such file or directory"},
      {"record read fails",
       {test::nth_call(test::Call::Pread, 1), EIO},
       true,
       2,
       "cannot read ",
       "b.dir",
       ": Input/output error"},
      {"description read fails",
       {test::nth_call(test::Call::Pread, 2), EIO},
       true,
       2,
       "cannot read ",
       "b.des",
       ": Input/output error"},
      {"record file shrank",
       {test::nth_call(test::Call::Pread, 1), 0, 0},
       true,
       2,
       "",
       "b.dir",
       " ended at byte 0: it shrank while being read"},
  };
  for (const Case& c : cases) {
    test::install_faults({c.fault});
    ReadOnlyBase base;
    std::string error;
    bool opened = open_base(base, path, error);
    CheckResult result;
    if (opened) result = check_base(base, [](const Finding&) {});
    close_base(base);
    int closes = test::calls_made(test::Call::Close);
    test::remove_faults();
    EXPECT_EQ(opened, c.opens) << c.what;
    std::string expected = c.before;
    expected.append("'").append(dir / c.file).append("'").append(c.after);
    EXPECT_EQ(opened ? result.error : error, expected) << c.what;
    EXPECT_EQ(result.read_failed, c.opens) << c.what;
    EXPECT_EQ(closes, c.closes) << c.what;
  }
}

TEST(TolvbaseRead, DirectoryIsNotABase) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "b.dir").c_str(), 0755), 0);
  write_file(dir / "b.des", "");
  ReadOnlyBase base;
  std::string error;
  EXPECT_FALSE(open_base(base, dir / "b", error));
  EXPECT_EQ(error, "cannot open '" + dir / "b.dir" + "': Is a directory");
}

}  // namespace
}  // namespace tolv
