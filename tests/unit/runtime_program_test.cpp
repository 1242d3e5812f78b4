// Failures injected through the system-call seam into whole runs of the
// program: exit status, the message after the console output, and the files
// as the failure left them.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <string>

#include "support/banner.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/fake_os.h"
#include "support/listing_text.h"

namespace tolv::test {
namespace {

// The console output of a run that has shown the count up to `count`.
std::string progress(int count) {
  std::string out = kBanner + "Processing: ";
  for (int i = 1; i <= count; ++i) out += std::to_string(i) + " files ... ";
  return out;
}

// `count` entries of one 50-byte line each (LF ends them), so the first
// 256-byte read of the listing ends one byte into the sixth line.
std::string listing(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    char number[12];
    snprintf(number, sizeof number, "%02d", i);
    text += entry_line(std::string("FILE") + number + ".ZIP", "1000", "01-15-95",
                       std::string("Description of ") + number) +
            "\n";
  }
  return text;
}

struct Result {
  Outcome run;
  ErrorMessage message;
  std::string records;       // base.dir afterwards
  std::string descriptions;  // base.des afterwards
};

// Converts `listing_text` into dir/base with the faults in place.
Result convert(const TempDir& dir, const std::string& listing_text,
               std::vector<Fault> faults = {}) {
  write_file(dir / "in.lst", listing_text);
  Result result;
  result.run = run_program_in_child({dir / "in.lst", dir / "base"}, std::move(faults));
  result.message = parse_error_message(result.run.output);
  result.records = read_file(dir / "base.dir");
  result.descriptions = read_file(dir / "base.des");
  return result;
}

// The file base that `count` entries make without any failure.
Result clean(int count) {
  TempDir dir;
  Result result = convert(dir, listing(count));
  EXPECT_EQ(result.run.status, 0);
  return result;
}

// The run ended normally after `count` entries, with the file base those
// entries make without any failure.
void expect_whole_run(const Result& result, int count) {
  EXPECT_EQ(result.run.status, 0);
  EXPECT_EQ(result.run.output, progress(count) + "DONE.\n");
  Result unfailed = clean(count);
  EXPECT_EQ(result.records, unfailed.records);
  EXPECT_EQ(result.descriptions, unfailed.descriptions);
}

// A run-time error with `code` ended the run after `console`, with the one
// trace line of a statement of the run sequence.
void expect_error(const Result& result, int code, const std::string& console) {
  EXPECT_EQ(result.run.status, code);
  ASSERT_TRUE(result.message.found) << result.run.output;
  EXPECT_EQ(result.message.code, code);
  EXPECT_EQ(result.message.console, console);
  EXPECT_EQ(result.message.trace.size(), 1u);
}

TEST(RunFailure, AListingReadFailureEndsTheRunAndKeepsTheEntriesBefore) {
  TempDir dir;
  Result result = convert(dir, listing(8), {Fault{nth_call(Call::Read, 2), EIO}});
  // The fifth entry is complete only when the sixth line is read: it is lost
  // with the failing read.
  expect_error(result, 101, progress(4));
  Result four = clean(4);
  EXPECT_EQ(result.records, four.records);
  EXPECT_EQ(result.descriptions, four.descriptions);
}

TEST(RunFailure, AListingReadFailureWithoutACodeIsTheEndOfTheListing) {
  TempDir dir;
  Result result = convert(dir, listing(8), {Fault{nth_call(Call::Read, 2), EPERM}});
  expect_whole_run(result, 5);
}

TEST(RunFailure, ARecordFileThatCannotBeCreatedLeavesTheDescriptionFileAlone) {
  for (bool description_exists : {false, true}) {
    SCOPED_TRACE(description_exists ? "description file exists" : "no description file");
    TempDir dir;
    if (description_exists) write_file(dir / "base.des", "kept");
    Result result = convert(dir, listing(2), {Fault{open_of(".dir", O_CREAT), EACCES}});
    expect_error(result, 5, kBanner);
    EXPECT_FALSE(file_exists(dir / "base.dir"));
    EXPECT_EQ(file_exists(dir / "base.des"), description_exists);
    EXPECT_EQ(result.descriptions, description_exists ? "kept" : "");
  }
}

struct Coded {
  int error;
  int code;
};

// Every number with a code but EROFS, which an open retries read-only.
constexpr Coded kOpenErrors[] = {
    {ENOENT, 2},   {ENOTDIR, 3}, {ENAMETOOLONG, 3}, {ELOOP, 3},    {ENFILE, 4},   {EMFILE, 4},
    {EACCES, 5},   {EEXIST, 5},  {EBADF, 6},        {EINTR, 101},  {EIO, 101},    {EAGAIN, 101},
    {ENOSPC, 101}, {EPIPE, 101}, {ETXTBSY, 162},    {ENOMEM, 217}, {EFAULT, 217}, {EINVAL, 218},
};

TEST(RunFailure, ADescriptionFileThatCannotBeOpenedEndsTheRunWithTheCode) {
  for (Coded c : kOpenErrors) {
    SCOPED_TRACE(c.error);
    TempDir dir;
    Result result = convert(dir, listing(2), {Fault{open_of(".des"), c.error, -1, false}});
    expect_error(result, c.code, kBanner);
    EXPECT_TRUE(file_exists(dir / "base.dir"));  // opened first, created empty
    EXPECT_EQ(result.records, "");
    EXPECT_FALSE(file_exists(dir / "base.des"));
  }
}

TEST(RunFailure, AFailingDescriptionWriteEndsTheRunWithItsCodeAfterTheEntriesBefore) {
  Result one = clean(1);
  for (Coded c : kOpenErrors) {
    if (c.error == EINTR) continue;  // made again
    SCOPED_TRACE(c.error);
    TempDir dir;
    // Writes: entry 1's lines, entry 1's record, entry 2's lines.
    Result result = convert(dir, listing(3), {Fault{nth_call(Call::Pwrite, 3), c.error}});
    expect_error(result, c.code, progress(2));
    EXPECT_EQ(result.records, one.records);
    EXPECT_EQ(result.descriptions, one.descriptions);
  }
  for (Coded c : {Coded{EROFS, 5}, Coded{EFBIG, 101}, Coded{EDQUOT, 101}, Coded{EPERM, 101}}) {
    SCOPED_TRACE(c.error);
    TempDir dir;
    expect_error(convert(dir, listing(3), {Fault{nth_call(Call::Pwrite, 3), c.error}}), c.code,
                 progress(2));
  }
}

TEST(RunFailure, AShortDescriptionWriteEnds101AndKeepsThePartWritten) {
  TempDir dir;
  Result result = convert(dir, listing(3), {Fault{nth_call(Call::Pwrite, 3), 0, 2}});
  expect_error(result, 101, progress(2));
  Result one = clean(1), two = clean(2);
  EXPECT_EQ(result.records, one.records);  // no record without its description
  EXPECT_EQ(result.descriptions, two.descriptions.substr(0, one.descriptions.size() + 2));
}

TEST(RunFailure, AShortRecordWriteEnds101AndKeepsThePartWritten) {
  TempDir dir;
  Result result = convert(dir, listing(3), {Fault{nth_call(Call::Pwrite, 4), 0, 60}});
  expect_error(result, 101, progress(2));
  Result two = clean(2);
  EXPECT_EQ(result.records, two.records.substr(0, 120 + 60));
  EXPECT_EQ(result.descriptions, two.descriptions);
}

TEST(RunFailure, AFailingSizeQueryOfTheDescriptionFileEndsTheRunWithItsCode) {
  TempDir dir;
  Result result = convert(dir, listing(2), {Fault{nth_call(Call::Fstat, 1), ENOMEM}});
  expect_error(result, 217, progress(1));
  EXPECT_EQ(result.records, "");
  EXPECT_EQ(result.descriptions, "");
}

TEST(RunFailure, AFileWithoutANameEnds101AtThatEntryAsAFailedWrite) {
  TempDir failed_write;
  std::string position =
      convert(failed_write, listing(4), {Fault{nth_call(Call::Pwrite, 5), EIO}}).message.position;
  Result two = clean(2), three = clean(3);
  // Each entry asks for the description file's status, then the record file's.
  for (int query : {5, 6}) {
    SCOPED_TRACE(query);
    TempDir dir;
    Result result =
        convert(dir, listing(4), {Fault{.when = nth_call(Call::Fstat, query), .links = 0}});
    expect_error(result, 101, progress(3));
    EXPECT_EQ(result.message.position, position);
    EXPECT_EQ(result.records, two.records);
    EXPECT_EQ(result.descriptions, query == 5 ? two.descriptions : three.descriptions);
  }
}

TEST(RunFailure, InterruptedReadsAndWritesAreMadeAgainAndTheRunSucceeds) {
  TempDir dir;
  Result result =
      convert(dir, listing(6),
              {Fault{nth_call(Call::Read, 1), EINTR}, Fault{nth_call(Call::Read, 2), EINTR},
               Fault{nth_call(Call::Pwrite, 1), EINTR}, Fault{nth_call(Call::Pwrite, 2), EINTR},
               Fault{nth_call(Call::Pwrite, 4), EINTR}});
  expect_whole_run(result, 6);
}

TEST(RunFailure, AnExistingRecordFileOnAReadOnlyFileSystemFailsWith6AtItsFirstWrite) {
  const std::string records(120, 'r'), descriptions = "old";
  Result one = clean(1);
  TempDir dir;
  write_file(dir / "base.dir", records);
  write_file(dir / "base.des", descriptions);
  Result result = convert(dir, listing(2), {Fault{open_of(".dir", O_RDWR), EROFS, -1, false}});
  expect_error(result, 6, progress(1));
  EXPECT_EQ(result.records, records);
  EXPECT_EQ(result.descriptions, descriptions + one.descriptions);  // written before the record

  // Both files read-only: the first description write fails.
  TempDir both;
  write_file(both / "base.dir", records);
  write_file(both / "base.des", descriptions);
  auto read_write_open = [](const CallInfo& call) {
    return call.kind == Call::Open && (call.flags & O_ACCMODE) == O_RDWR;
  };
  result = convert(both, listing(2), {Fault{read_write_open, EROFS, -1, false}});
  expect_error(result, 6, progress(1));
  EXPECT_EQ(result.records, records);
  EXPECT_EQ(result.descriptions, descriptions);
}

TEST(RunFailure, ADirectoryAsRecordFileFailsWith6AtTheFirstEntry) {
  TempDir dir;
  ASSERT_EQ(mkdir((dir / "base.dir").c_str(), 0777), 0);
  Result result = convert(dir, listing(2));
  expect_error(result, 6, progress(1));
  EXPECT_EQ(result.descriptions, clean(1).descriptions);

  TempDir empty;
  ASSERT_EQ(mkdir((empty / "base.dir").c_str(), 0777), 0);
  result = convert(empty, "No entries in this listing\n");
  EXPECT_EQ(result.run.status, 0);
  EXPECT_EQ(result.run.output, progress(0) + "DONE.\n");
}

TEST(RunFailure, PositionsNameTheFailingStatementAndRepeatAcrossRuns) {
  auto position_of = [](const std::string& text, std::vector<Fault> faults) {
    TempDir dir;
    return convert(dir, text, std::move(faults)).message.position;
  };
  std::string record_open = position_of(listing(2), {Fault{open_of(".dir"), ENOENT, -1, false}});
  std::string description_open =
      position_of(listing(2), {Fault{open_of(".des"), ENOENT, -1, false}});
  std::string listing_read = position_of(listing(8), {Fault{nth_call(Call::Read, 2), EIO}});
  std::string append = position_of(listing(2), {Fault{nth_call(Call::Pwrite, 1), ENOSPC}});

  EXPECT_EQ(position_of(listing(2), {Fault{open_of(".dir"), ENOENT, -1, false}}), record_open);
  EXPECT_EQ(position_of(listing(8), {Fault{nth_call(Call::Read, 2), EIO}}), listing_read);
  // The record write belongs to the same statement as the description write.
  EXPECT_EQ(position_of(listing(2), {Fault{nth_call(Call::Pwrite, 2), 0, 7}}), append);

  std::set<std::string> distinct{record_open, description_open, listing_read, append};
  EXPECT_EQ(distinct.size(), 4u) << record_open << " " << description_open << " " << listing_read
                                 << " " << append;
  EXPECT_EQ(record_open.size(), 8u);
}

}  // namespace
}  // namespace tolv::test
