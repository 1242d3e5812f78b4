// The errno translation table and the pending error code.
#include <errno.h>
#include <gtest/gtest.h>

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
