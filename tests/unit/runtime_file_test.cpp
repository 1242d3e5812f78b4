// The file operations and their pending-error rules, with failures injected
// through the system-call seam.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "runtime/file.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"
#include "support/child.h"
#include "support/fake_os.h"

namespace tolv {
namespace {

using test::Call;
using test::calls_made;
using test::Fault;
using test::install_faults;
using test::nth_call;

class FileOps : public ::testing::Test {
 protected:
  void SetUp() override {
    pending_error = 0;
    test::write_file(path, "0123456789");
  }
  void TearDown() override {
    test::remove_faults();
    pending_error = 0;
    if (file.is_open) file_close(file);
  }
  // Opens the test file for reading and writing; the seam counts from here.
  void open_file(std::vector<Fault> faults = {}) {
    file_open(file, path, OpenMode::ReadWrite);
    ASSERT_TRUE(file.is_open);
    ASSERT_GE(file.fd, 0);
    install_faults(std::move(faults));
  }

  test::TempDir dir;
  std::string path = dir / "file";
  File file;
  char buf[16] = {};
};

TEST_F(FileOps, WhileACodeIsPendingNothingIsDoneAndResultsAreNeutral) {
  open_file();
  pending_error = 5;
  EXPECT_EQ(file_read(file, buf, 4), 0u);
  EXPECT_EQ(file_read_at(file, buf, 4, 0), 0u);
  file_write_at(file, "xy", 2, 0);
  EXPECT_EQ(file_size(file), 0);
  EXPECT_EQ(file_identity(file), FileIdentity{});
  file_close(file);
  File other;
  file_open(other, path, OpenMode::Read);

  EXPECT_EQ(calls_made(), 0);
  EXPECT_EQ(pending_error, 5);
  EXPECT_EQ(buf[0], 0);
  EXPECT_TRUE(file.is_open);  // the close did nothing either
  EXPECT_FALSE(other.is_open);
  EXPECT_EQ(test::read_file(path), "0123456789");
}

TEST_F(FileOps, SuccessLeavesTheCodeAloneAndRecordsErrnoZero) {
  open_file({Fault{nth_call(Call::Read, 1), EIO}});
  EXPECT_EQ(file_read(file, buf, 4), 0u);
  EXPECT_EQ(system_error, EIO);
  ASSERT_EQ(error_code_query(), 101);

  EXPECT_EQ(file_read_at(file, buf, 4, 2), 4u);
  EXPECT_EQ(std::string(buf, 4), "2345");
  EXPECT_EQ(system_error, 0);
  file_write_at(file, "ab", 2, 10);
  EXPECT_EQ(file_size(file), 12);
  EXPECT_EQ(pending_error, 0);
}

TEST_F(FileOps, FailingReadsSetTheTranslatedCodeOrNothing) {
  open_file();
  struct Case {
    Call call;
    int error;
    uint16_t code;
  };
  for (Case c :
       {Case{Call::Read, EIO, 101}, Case{Call::Read, EPERM, 0}, Case{Call::Read, EISDIR, 0},
        Case{Call::Pread, EFAULT, 217}, Case{Call::Pread, EOVERFLOW, 0}}) {
    SCOPED_TRACE(testing::Message() << "call " << int(c.call) << " errno " << c.error);
    install_faults({Fault{nth_call(c.call, 1), c.error}});
    size_t got = 99;
    if (c.call == Call::Read) got = file_read(file, buf, 4);
    if (c.call == Call::Pread) got = file_read_at(file, buf, 4, 0);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(error_code_query(), c.code);
  }
}

TEST_F(FileOps, AFailingSizeQueryAlwaysSetsACode) {
  // A size of 0 passed off as real would make a writer append over the
  // start of the file, so a number without a code gives 101 here.
  open_file();
  for (auto [error, code] :
       {std::pair{EOVERFLOW, 101}, std::pair{EIO, 101}, std::pair{ENOMEM, 217}}) {
    SCOPED_TRACE(error);
    install_faults({Fault{nth_call(Call::Fstat, 1), error}});
    EXPECT_EQ(file_size(file), 0);
    EXPECT_EQ(error_code_query(), code);
  }
  install_faults({Fault{nth_call(Call::Fstat, 1), EINTR}});
  EXPECT_EQ(file_size(file), 10);
  EXPECT_EQ(calls_made(Call::Fstat), 2);
  EXPECT_EQ(pending_error, 0);
}

TEST_F(FileOps, AFailingWriteTakesItsCodeAndOtherwise101) {
  open_file();
  struct Case {
    int error;
    ssize_t stored;
    uint16_t code;
  };
  for (Case c :
       {Case{ENOSPC, -1, 101}, Case{EROFS, -1, 5}, Case{EBADF, -1, 6}, Case{EFBIG, -1, 101},
        Case{EDQUOT, -1, 101}, Case{EPERM, -1, 101}, Case{0, 3, 101}, Case{0, 0, 101}}) {
    SCOPED_TRACE(testing::Message() << "errno " << c.error << " stored " << c.stored);
    install_faults({Fault{nth_call(Call::Pwrite, 1), c.error, c.stored}});
    file_write_at(file, "abcdef", 6, 0);
    EXPECT_EQ(error_code_query(), c.code);
  }
  install_faults({});
  file_write_at(file, "", 0, 0);  // nothing asked, nothing short
  EXPECT_EQ(pending_error, 0);
  EXPECT_EQ(test::read_file(path), "abc3456789");  // only the short write's bytes
}

TEST_F(FileOps, InterruptedReadsAndWritesAreMadeAgain) {
  open_file({Fault{nth_call(Call::Read, 1), EINTR}, Fault{nth_call(Call::Pread, 1), EINTR},
             Fault{nth_call(Call::Pwrite, 1), EINTR}, Fault{nth_call(Call::Pwrite, 2), EINTR}});
  EXPECT_EQ(file_read(file, buf, 3), 3u);
  EXPECT_EQ(file_read_at(file, buf + 3, 3, 7), 3u);
  file_write_at(file, "Z", 1, 0);
  EXPECT_EQ(std::string(buf, 6), "012789");
  EXPECT_EQ(pending_error, 0);
  EXPECT_EQ(calls_made(Call::Read), 2);
  EXPECT_EQ(calls_made(Call::Pread), 2);
  EXPECT_EQ(calls_made(Call::Pwrite), 3);
  EXPECT_EQ(test::read_file(path), "Z123456789");
}

TEST_F(FileOps, AnInterruptedOpenIsNotMadeAgainAndGives101) {
  install_faults({Fault{nth_call(Call::Open, 1), EINTR}});
  file_open(file, path, OpenMode::ReadWrite);
  EXPECT_EQ(calls_made(Call::Open), 1);
  EXPECT_FALSE(file.is_open);
  EXPECT_EQ(error_code_query(), 101);
}

TEST_F(FileOps, AReadOnlyFileSystemOpensReadWriteFilesForReadingOnly) {
  std::vector<int> flags;
  auto erofs_first = [&](const test::CallInfo& call) {
    if (call.kind != Call::Open) return false;
    flags.push_back(call.flags);
    return call.nth_of_kind == 1;
  };
  install_faults({Fault{erofs_first, EROFS, -1, false}});
  file_open(file, path, OpenMode::ReadWrite);
  ASSERT_EQ(flags.size(), 2u);
  EXPECT_EQ(flags[0] & O_ACCMODE, O_RDWR);
  EXPECT_EQ(flags[1], (flags[0] & ~O_ACCMODE) | O_RDONLY);  // the same flags, read-only
  EXPECT_TRUE(file.is_open);
  EXPECT_EQ(pending_error, 0);
  EXPECT_EQ(file_read(file, buf, 2), 2u);
  file_write_at(file, "x", 1, 0);  // the descriptor cannot write: EBADF
  EXPECT_EQ(error_code_query(), 6);
  file_close(file);

  // The second attempt's outcome counts.
  flags.clear();
  install_faults({Fault{erofs_first, EROFS, -1, false}, Fault{nth_call(Call::Open, 2), ENOENT}});
  file_open(file, path, OpenMode::Create);
  EXPECT_EQ(flags.size(), 2u);
  EXPECT_EQ(flags[1] & O_CREAT, O_CREAT);
  EXPECT_FALSE(file.is_open);
  EXPECT_EQ(error_code_query(), 2);

  // A read-only open is not made again.
  flags.clear();
  install_faults({Fault{erofs_first, EROFS, -1, false}});
  file_open(file, path, OpenMode::Read);
  EXPECT_EQ(flags.size(), 1u);
  EXPECT_EQ(error_code_query(), 5);
}

TEST_F(FileOps, AnOpenFailingWithoutACodeLeavesAFileThatFailsAtFirstUseWith6) {
  for (int error : {EPERM, EISDIR, ENXIO, EOVERFLOW}) {
    SCOPED_TRACE(error);
    install_faults({Fault{nth_call(Call::Open, 1), error}});
    file_open(file, path, OpenMode::ReadWrite);
    EXPECT_EQ(pending_error, 0);
    EXPECT_TRUE(file.is_open);
    EXPECT_EQ(file_size(file), 0);
    EXPECT_EQ(error_code_query(), 6);
    EXPECT_EQ(file_read(file, buf, 4), 0u);
    EXPECT_EQ(error_code_query(), 6);
    file_write_at(file, "x", 1, 0);
    EXPECT_EQ(error_code_query(), 6);
    file_close(file);  // nothing to close, nothing reported
    EXPECT_EQ(pending_error, 0);
    EXPECT_EQ(calls_made(Call::Close), 0);
    EXPECT_FALSE(file.is_open);
  }
  EXPECT_EQ(test::read_file(path), "0123456789");
}

TEST_F(FileOps, OperationsOnAFileNotOpenSet103WithoutASystemCall) {
  install_faults({});
  File closed;
  EXPECT_EQ(file_read(closed, buf, 4), 0u);
  EXPECT_EQ(error_code_query(), 103);
  EXPECT_EQ(file_read_at(closed, buf, 4, 0), 0u);
  EXPECT_EQ(error_code_query(), 103);
  file_write_at(closed, "x", 1, 0);
  EXPECT_EQ(error_code_query(), 103);
  EXPECT_EQ(file_size(closed), 0);
  EXPECT_EQ(error_code_query(), 103);
  EXPECT_EQ(file_identity(closed), FileIdentity{});
  EXPECT_EQ(error_code_query(), 103);
  file_close(closed);
  EXPECT_EQ(error_code_query(), 103);
  EXPECT_EQ(calls_made(), 0);
}

TEST_F(FileOps, ACloseFailureIsNotReported) {
  open_file({Fault{nth_call(Call::Close, 1), EIO}});
  file_close(file);
  EXPECT_EQ(calls_made(Call::Close), 1);
  EXPECT_EQ(pending_error, 0);
  EXPECT_FALSE(file.is_open);
}

TEST_F(FileOps, TheEmptyPathReadsStandardInputAndClosingLeavesItOpen) {
  install_faults({});
  file_open(file, "", OpenMode::Read);
  EXPECT_TRUE(file.is_open);
  EXPECT_EQ(file.fd, 0);
  file_close(file);
  EXPECT_EQ(calls_made(), 0);
  EXPECT_FALSE(file.is_open);
}

}  // namespace
}  // namespace tolv
