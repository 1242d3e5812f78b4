// A file base opened for reading: its record file and description file, at
// the paths the converter derives from the same argument.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "companion/read_only_file.h"

namespace tolv {

struct ReadOnlyBase {
  ReadOnlyFile records;
  ReadOnlyFile descriptions;
  bool being_converted = false;       // a conversion held the base's lock at the open
  bool descriptions_missing = false;  // opened without its description file
};

enum class Descriptions { Required, Optional };

// Opens both files, the record file first, and takes a shared lock on the
// base without waiting. On failure `error` says which file and why; nothing
// stays open.
// With Descriptions::Optional a description file that does not exist is no
// failure: the base opens with `descriptions_missing` set and an empty
// description file.
bool open_base(ReadOnlyBase& base, std::string_view argument, std::string& error,
               Descriptions descriptions = Descriptions::Required);
void close_base(ReadOnlyBase& base);

// Whole records in the record file, and the bytes of a trailing fragment.
int64_t record_count(const ReadOnlyBase& base);
int64_t fragment_size(const ReadOnlyBase& base);

}  // namespace tolv
