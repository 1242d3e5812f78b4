// The errno translation table and the pending error code.
#include <errno.h>
#include <gtest/gtest.h>

#include <vector>

#include "runtime/fault.h"
#include "runtime/io_error.h"

namespace tolv {
namespace {

struct Row {
  int number;
  uint16_t code;
};

// Every number the table gives a code, with its code.
constexpr Row kTable[] = {
    {ENOENT, 2},    {ENOTDIR, 3},  {ENAMETOOLONG, 3}, {ELOOP, 3},    {ENFILE, 4},
    {EMFILE, 4},    {EACCES, 5},   {EEXIST, 5},       {EROFS, 5},    {EBADF, 6},
    {EINTR, 101},   {EIO, 101},    {EAGAIN, 101},     {ENOSPC, 101}, {EPIPE, 101},
    {ETXTBSY, 162}, {ENOMEM, 217}, {EFAULT, 217},     {EINVAL, 218},
};

TEST(Translation, EveryNumberOfTheTableHasItsCode) {
  for (const Row& row : kTable) EXPECT_EQ(translate_errno(row.number), row.code) << row.number;
}

TEST(Translation, EveryOtherNumberHasNoCode) {
  // Up to 40, the numbers the table leaves out; above it, a sample of
  // numbers that do occur (EOVERFLOW, EDQUOT, ENOTSUP, ECONNRESET) and the
  // largest ones.
  for (int number = 0; number <= 200; ++number) {
    bool in_table = false;
    for (const Row& row : kTable) in_table |= row.number == number;
    if (!in_table) {
      EXPECT_EQ(translate_errno(number), 0) << number;
    }
  }
  for (int number : {EPERM, EISDIR, ESPIPE, EFBIG, ENOTTY, EXDEV, EOVERFLOW, EDQUOT, ENOTSUP,
                     ECONNRESET, EHWPOISON, 4095})
    EXPECT_EQ(translate_errno(number), 0) << number;
}

// Every code a run can end with has its words in the one table, read by
// tolvboard for a failed area; a number that is no code has none.
TEST(Translation, EveryCodeARunEndsWithHasItsMeaning) {
  std::vector<int> codes{kReadPastEnd, kDiskWriteError, kFileNotOpen, kAccessViolation};
  for (int number = 0; number <= 200; ++number)
    if (uint16_t code = translate_errno(number)) codes.push_back(code);
  for (uint16_t word = 0; word <= 0x7F; ++word) codes.push_back(fpe_code(word));
  for (int code : codes) EXPECT_FALSE(runtime_error_meaning(code).empty()) << code;
  for (int other : {-1, 0, 1, 7, 99, 102, 219, 255, 256 + kDiskWriteError})
    EXPECT_EQ(runtime_error_meaning(other), "") << other;
  EXPECT_EQ(runtime_error_meaning(101), "a write failed (a full disk?)");
}

TEST(PendingCode, RecordFailureSetsOnlyCodedNumbersAndQueryTakesTheCode) {
  pending_error = 0;
  set_pending_from_errno(0);
  set_pending_from_errno(EPERM);
  set_pending_from_errno(EOVERFLOW);
  EXPECT_EQ(pending_error, 0);

  set_pending_from_errno(ENOSPC);
  EXPECT_EQ(pending_error, 101);
  set_pending_from_errno(EISDIR);  // a number without a code leaves the code there
  EXPECT_EQ(pending_error, 101);
  set_pending_from_errno(ENOENT);  // a coded one replaces it
  EXPECT_EQ(error_code_query(), 2);
  EXPECT_EQ(pending_error, 0);
  EXPECT_EQ(error_code_query(), 0);
}

}  // namespace
}  // namespace tolv
