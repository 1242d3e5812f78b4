#include "runtime/error_codes.h"

namespace tolv {

namespace {

struct CodeMeaning {
  uint16_t code;
  std::string_view meaning;
};

// Worded for the one who reads a failed run's status: what went wrong, and
// where a common cause is known, the likely one.
constexpr CodeMeaning kMeanings[] = {
    {kFileNotFound, "a file was not found (the base's directory is missing?)"},
    {kPathNotFound, "a path was not found (a part of it is not a directory, or it is too long)"},
    {kTooManyOpenFiles, "too many files are open"},
    {kAccessDenied, "access was denied (a read-only file system?)"},
    {kInvalidFileHandle,
     "a file of the base cannot be written (a read-only file system, or a directory in its "
     "place?)"},
    {kReadPastEnd, "a record could not be read whole (a damaged record file?)"},
    {kDiskWriteError, "a write failed (a full disk?)"},
    {kFileNotOpen, "a file was used that is not open"},
    {kFileBusy, "a file is busy (a program being run?)"},
    {kOutOfMemory, "out of memory"},
    {kInvalidArgument, "an invalid argument was handed to the system"},
    {kDivisionByZero, "a division by zero (a fault of the converter)"},
    {kFloatOverflow, "a floating-point overflow (a fault of the converter)"},
    {kFloatUnderflow, "a floating-point underflow (a fault of the converter)"},
    {kInvalidFloatOperation, "an invalid floating-point operation (a fault of the converter)"},
    {kAccessViolation, "an invalid memory access (a fault of the converter)"},
};

}  // namespace

std::string_view runtime_error_meaning(int code) {
  for (const CodeMeaning& row : kMeanings)
    if (row.code == code) return row.meaning;
  return {};
}

}  // namespace tolv
