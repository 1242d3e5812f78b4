// The run-time error codes a run can end with, each named once, and what
// each means to the sysop who reads it: the one table of them. The errno
// translation (io_error.h) and the processor faults (fault.h) give these
// codes; a companion that ran the converter looks its exit status up here.
#pragma once

#include <cstdint>
#include <string_view>

namespace tolv {

// Input/output errors.
inline constexpr uint16_t kFileNotFound = 2;       // ENOENT
inline constexpr uint16_t kPathNotFound = 3;       // ENOTDIR, ENAMETOOLONG, ELOOP
inline constexpr uint16_t kTooManyOpenFiles = 4;   // EMFILE, ENFILE
inline constexpr uint16_t kAccessDenied = 5;       // EACCES, EEXIST, EROFS
inline constexpr uint16_t kInvalidFileHandle = 6;  // EBADF
inline constexpr uint16_t kReadPastEnd = 100;      // a record read came back short
inline constexpr uint16_t kDiskWriteError = 101;   // a write stored fewer bytes than asked
inline constexpr uint16_t kFileNotOpen = 103;      // an operation on a file that is not open
inline constexpr uint16_t kFileBusy = 162;         // ETXTBSY
inline constexpr uint16_t kOutOfMemory = 217;      // ENOMEM, EFAULT
inline constexpr uint16_t kInvalidArgument = 218;  // EINVAL

// Processor faults. 216 is also the code of a denormal operand and of an
// invalid floating-point operation.
inline constexpr uint16_t kDivisionByZero = 200;
inline constexpr uint16_t kFloatOverflow = 205;
inline constexpr uint16_t kFloatUnderflow = 206;
inline constexpr uint16_t kInvalidFloatOperation = 207;
inline constexpr uint16_t kAccessViolation = 216;

// What `code` means, in a few words ("a write failed (a full disk?)");
// empty for a number that is no run-time error code.
std::string_view runtime_error_meaning(int code);

}  // namespace tolv
