// The duplicate check: its answers against stored records, how the name index
// follows the run's appends and a replaced file, and the failures of its
// reopen, size query and reads through the system-call seam.
#include "filebase/duplicate.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdio.h>

#include <memory>
#include <random>

#include "filebase/file_base.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/fake_os.h"
#include "support/listing_text.h"
#include "support/stored_base.h"

namespace tolv {
namespace {

using test::Call;
using test::CallInfo;
using test::Fault;
using test::TempDir;

Entry entry_named(const std::string& name) {
  Entry entry;
  entry.file_name.assign(name);
  entry.size = 1;
  entry.desc_count = 1;
  entry.desc[0].assign("x");
  return entry;
}

// A file base in a temporary directory whose record file starts as `records`.
struct OpenBase {
  explicit OpenBase(const std::string& records) {
    test::write_file(record_path(), records);
    open_file_base(*base, record_path(), dir / "b.des");
  }
  ~OpenBase() { close_file_base(*base); }
  std::string record_path() const { return dir / "b.dir"; }
  bool check(std::string_view name) { return is_duplicate(*base, name); }

  TempDir dir;
  std::unique_ptr<FileBase> base = std::make_unique<FileBase>();
};

// The check as a scan of every whole record of the file would answer it.
bool rescan(const std::string& file, std::string name) {
  name = name.substr(0, std::min<size_t>(name.size(), kFileNameCapacity));
  for (const FileRecord& record : test::records_in(file)) {
    if (record.Flags & kFlagNoDupeCheck) continue;
    if (record.FileName.length == name.size() && record.FileName.view() == name) return true;
  }
  return false;
}

TEST(Duplicate, OnlyFlagBitTwoTakesARecordOutOfTheCheck) {
  for (uint8_t flags : {4, 5, 6, 7, 12}) {
    OpenBase b(test::stored_record("DEMO.ZIP", flags));
    EXPECT_FALSE(b.check("DEMO.ZIP")) << "Flags " << int{flags};
  }
  for (uint8_t flags : {0, 1, 2, 8}) {
    OpenBase b(test::stored_record("DEMO.ZIP", flags));
    EXPECT_TRUE(b.check("DEMO.ZIP")) << "Flags " << int{flags};
  }
}

TEST(Duplicate, NamesCompareExactlyAsStored) {
  OpenBase b(test::stored_record("OTHER.ARJ") + test::stored_record("Demo.zip") +
             test::stored_record("", 4));
  EXPECT_TRUE(b.check("Demo.zip"));
  EXPECT_FALSE(b.check("DEMO.ZIP"));
  EXPECT_FALSE(b.check("demo.zip"));
  EXPECT_FALSE(b.check("Demo.zi"));
  EXPECT_FALSE(b.check("Demo.zip "));
  EXPECT_FALSE(b.check(""));  // the only empty name is not counting

  OpenBase empty_name(test::stored_record("A.ZIP") + test::stored_record(""));
  EXPECT_TRUE(empty_name.check(""));

  OpenBase no_records("");
  EXPECT_FALSE(no_records.check(""));
}

TEST(Duplicate, LongNamesCompareCutToTheFieldCapacity) {
  std::string seventy(70, 'n');
  OpenBase b(test::stored_record(seventy));
  EXPECT_TRUE(b.check(seventy));
  EXPECT_TRUE(b.check(seventy + "MORE!"));
  EXPECT_FALSE(b.check(seventy.substr(0, 69)));

  OpenBase short_stored(test::stored_record(seventy.substr(0, 69)));
  EXPECT_FALSE(short_stored.check(seventy + "MORE!"));
}

TEST(Duplicate, LengthByteBeyondTheFieldNeverMatches) {
  // 70 matching characters under a length byte the format does not allow: a
  // comparison that clamped the length would wrongly match.
  for (uint8_t length : {71, 120, 255}) {
    std::string record = test::stored_record(std::string(70, 'n'));
    record[0] = static_cast<char>(length);
    OpenBase b(record + test::stored_record("NEXT.ZIP"));
    EXPECT_FALSE(b.check(std::string(70, 'n'))) << int{length};
    EXPECT_FALSE(b.check(std::string(75, 'n'))) << int{length};
    EXPECT_TRUE(b.check("NEXT.ZIP"));
  }
}

TEST(Duplicate, TrailingFragmentIsNotARecord) {
  std::string fragment = test::stored_record("FRAG.ZIP").substr(0, kRecordSize - 1);
  OpenBase b(test::stored_record("WHOLE.ZIP") + fragment);
  EXPECT_TRUE(b.check("WHOLE.ZIP"));
  EXPECT_FALSE(b.check("FRAG.ZIP"));
  // The appended record lands over the fragment and counts from then on.
  append_entry(*b.base, entry_named("FRAG.ZIP"));
  EXPECT_TRUE(b.check("FRAG.ZIP"));
  EXPECT_EQ(test::read_file(b.record_path()).size(), 2u * kRecordSize);
}

class DuplicateIndex : public ::testing::Test {
 protected:
  void TearDown() override { test::remove_faults(); }
};

TEST_F(DuplicateIndex, AppendsOfTheRunCountWithoutReadingTheFileAgain) {
  OpenBase b(test::stored_record("OLD.ZIP"));
  test::install_faults({});  // counts the calls
  EXPECT_FALSE(b.check("NEW.ZIP"));
  EXPECT_EQ(test::calls_made(Call::Pread), 1);
  for (int i = 0; i < 5; ++i) {
    std::string name = "NEW" + std::to_string(i) + ".ZIP";
    EXPECT_FALSE(b.check(name));
    append_entry(*b.base, entry_named(name));
    EXPECT_TRUE(b.check(name));
  }
  EXPECT_TRUE(b.check("OLD.ZIP"));
  EXPECT_EQ(test::calls_made(Call::Pread), 1);
  // Every check reopens the record file by its path.
  EXPECT_EQ(test::calls_made(Call::Open), 12);
}

TEST_F(DuplicateIndex, RecordsAppendedBeforeTheFirstCheckCount) {
  OpenBase b("");
  append_entry(*b.base, entry_named("EARLY.ZIP"));
  EXPECT_TRUE(b.check("EARLY.ZIP"));
}

TEST_F(DuplicateIndex, AFileReplacedOrGrownBetweenChecksIsReadAgain) {
  OpenBase b(test::stored_record("A.ZIP"));
  EXPECT_TRUE(b.check("A.ZIP"));

  // Same size, new file under the same path: only its identity tells.
  test::write_file(b.dir / "new.dir", test::stored_record("B.ZIP"));
  ASSERT_EQ(rename((b.dir / "new.dir").c_str(), b.record_path().c_str()), 0);
  EXPECT_FALSE(b.check("A.ZIP"));
  EXPECT_TRUE(b.check("B.ZIP"));

  // Same file, grown by another writer.
  test::write_file(b.record_path(), test::stored_record("B.ZIP") + test::stored_record("C.ZIP"));
  EXPECT_TRUE(b.check("C.ZIP"));
  // Same file, cut down to nothing.
  test::write_file(b.record_path(), "");
  EXPECT_FALSE(b.check("B.ZIP"));
}

TEST(Duplicate, AnswersAsARescanOverMixedRecordsAndAppends) {
  std::mt19937 random(20260521);
  auto pick = [&](int n) { return static_cast<int>(random() % n); };
  // Short names from a small alphabet collide often; long ones test the cut.
  auto name = [&] {
    std::string s(pick(4), 'a');
    for (char& c : s) c = "aAb"[pick(3)];
    if (pick(8) == 0) s = std::string(70, 'L') + s;
    return s;
  };
  for (int round = 0; round < 20; ++round) {
    std::string file;
    for (int i = pick(30); i > 0; --i) {
      std::string record = test::stored_record(name(), static_cast<uint8_t>(pick(16)));
      if (pick(10) == 0) record[0] = static_cast<char>(71 + pick(185));
      file += record;
    }
    file += test::stored_record(name()).substr(0, pick(kRecordSize));
    OpenBase b(file);
    for (int i = 0; i < 40; ++i) {
      std::string query = name();
      ASSERT_EQ(b.check(query), rescan(test::read_file(b.record_path()), query))
          << "round " << round << " name '" << query << "'";
      if (pick(3) == 0) append_entry(*b.base, entry_named(query));
    }
  }
}

// --- Failures: the program runs in a child, with faults in the seam ---

// A failure inside the duplicate check has two trace lines: the return into
// the run sequence and the one into the start code.
struct FailedRun {
  test::Outcome outcome;
  test::ErrorMessage message;
  bool matched = false;  // a message with those two trace lines
};

FailedRun failed_run(test::Outcome outcome) {
  FailedRun run{outcome, test::parse_error_message(outcome.output)};
  run.matched = run.message.found && run.message.trace.size() == 2;
  return run;
}

// The run ended with `code`, and its message names it.
void expect_code(const FailedRun& run, int code) {
  ASSERT_TRUE(run.matched) << run.outcome.output;
  EXPECT_EQ(run.outcome.status, code);
  EXPECT_EQ(run.message.code, code);
}

// Matches the nth open of the record file: the first is the run's own open,
// each later one the reopen of a check.
std::function<bool(const CallInfo&)> nth_record_open(int nth) {
  auto seen = std::make_shared<int>(0);
  auto is_record_open = test::open_of(".dir");
  return [=](const CallInfo& info) { return is_record_open(info) && ++*seen == nth; };
}

test::Outcome run_with_faults(const TempDir& dir, std::vector<Fault> faults, bool dupe = true) {
  std::vector<std::string> args{dir / "in.lst", dir / "base"};
  if (dupe) args.push_back("-DUPE");
  return test::run_program_in_child(args, std::move(faults));
}

class DuplicateFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    test::write_file(dir / "in.lst", test::entry_line("ONE.ZIP", "10", "01-15-95", "one") + "\n" +
                                         test::entry_line("TWO.ZIP", "20", "01-15-95", "two") +
                                         "\n");
    test::write_file(dir / "base.dir", test::stored_record("OLD.ZIP"));
  }

  // The run fails inside the check of TWO.ZIP, after ONE.ZIP was appended.
  FailedRun failed(std::vector<Fault> faults) {
    FailedRun run = failed_run(run_with_faults(dir, std::move(faults)));
    std::string before = run.matched ? run.message.console : "";
    EXPECT_TRUE(before.ends_with("Processing: 1 files ... ")) << run.outcome.output;
    EXPECT_EQ(test::read_file(dir / "base.dir").size(), 2u * kRecordSize);
    return run;
  }

  TempDir dir;
};

TEST_F(DuplicateFailure, ReopenRefusedEndsWithItsCodeTracedThroughTheRunSequence) {
  FailedRun run = failed({Fault{nth_record_open(3), EACCES}});
  ASSERT_NO_FATAL_FAILURE(expect_code(run, 5));

  // A failure in the run sequence itself (the record write of ONE.ZIP) has a
  // trace one line shorter, ending at the same return into the start code.
  SetUp();
  test::Outcome plain =
      run_with_faults(dir, {Fault{test::nth_call(Call::Pwrite, 2), EIO}}, /*dupe=*/false);
  test::ErrorMessage one_level = test::parse_error_message(plain.output);
  ASSERT_TRUE(one_level.found && one_level.code == 101 && one_level.trace.size() == 1)
      << plain.output;
  EXPECT_EQ(one_level.trace[0], run.message.trace[1]);
}

TEST_F(DuplicateFailure, ReopenFailingWithoutACodeEndsWithSixAtTheSizeQuery) {
  FailedRun no_code = failed({Fault{nth_record_open(3), EISDIR}});
  ASSERT_NO_FATAL_FAILURE(expect_code(no_code, 6));

  SetUp();
  FailedRun refused = failed({Fault{nth_record_open(3), ENOENT}});
  ASSERT_NO_FATAL_FAILURE(expect_code(refused, 2));
  EXPECT_NE(no_code.message.position, refused.message.position);  // a different statement
}

TEST_F(DuplicateFailure, SizeQueryFailureEndsWithItsCode) {
  // The first size query after the check of TWO.ZIP reopened the file.
  auto reopened = std::make_shared<bool>(false);
  auto third_open = nth_record_open(3);
  auto after_reopen = [=](const CallInfo& info) {
    if (third_open(info)) *reopened = true;
    return info.kind == Call::Fstat && *reopened;
  };
  FailedRun run = failed({Fault{after_reopen, ENOMEM}});
  ASSERT_TRUE(run.matched) << run.outcome.output;
  EXPECT_EQ(run.outcome.status, 217);
}

TEST_F(DuplicateFailure, AnotherRecordFileAfterAnAppendEnds101) {
  // The fourth status query is the check of TWO.ZIP's, after the check of
  // ONE.ZIP and its append (description file, record file).
  FailedRun run = failed({Fault{.when = test::nth_call(Call::Fstat, 4), .inode = 12345}});
  ASSERT_NO_FATAL_FAILURE(expect_code(run, 101));
}

TEST_F(DuplicateFailure, ShortOrFailedRecordReadEndsWith100) {
  // The index is filled by the first check, so its read fails the run before
  // anything is appended.
  for (Fault fault : {Fault{test::nth_call(Call::Pread, 1), 0, 119},
                      Fault{test::nth_call(Call::Pread, 1), EIO}}) {
    test::Outcome run = run_with_faults(dir, {fault});
    EXPECT_EQ(run.status, 100);
    EXPECT_TRUE(failed_run(run).matched) << run.output;
    EXPECT_NE(run.output.find("Processing: Runtime error 100 at"), std::string::npos);
    EXPECT_EQ(test::read_file(dir / "base.dir"), test::stored_record("OLD.ZIP"));
  }
}

TEST_F(DuplicateFailure, WithoutTheSwitchTheRecordFileIsNeitherReopenedNorRead) {
  auto reopen = [seen = std::make_shared<int>(0)](const CallInfo& info) {
    return test::open_of(".dir")(info) && ++*seen > 1;
  };
  std::vector<Fault> every_check_fails{
      Fault{reopen, EACCES, -1, false},
      Fault{[](const CallInfo& info) { return info.kind == Call::Pread; }, EIO, -1, false}};
  test::Outcome run = run_with_faults(dir, every_check_fails, false);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(test::read_file(dir / "base.dir").size(), 3u * kRecordSize);
  // The same faults end a run with the switch at its first reopen.
  EXPECT_EQ(run_with_faults(dir, every_check_fails).status, 5);
}

}  // namespace
}  // namespace tolv
