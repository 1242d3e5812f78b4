// File bases as the converter stores them, for tests to build, damage, read
// back and check: records encoded with the record layout of src/filebase and
// description lines with its description-line rule, never laid out again
// here (the writer's tests lay bytes out by hand, as their independent check).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "filebase/record.h"
#include "tolvbase/check.h"

namespace tolv::test {

// The date of every record add() makes: 1995-01-15, a date the check does
// not doubt.
inline constexpr uint32_t kStoredDateTime = 0x1E2F0000;

// The two files of a base.
struct StoredBase {
  std::string records;
  std::string descriptions;

  // Appends a record of `name` with these lines, as a conversion appends
  // an entry: its lines at the end of the description file.
  void add(const std::string& name, const std::vector<std::string>& lines, int32_t size = 1000);
  // Overwrites a byte, or a 32-bit little-endian value, of a record.
  void set8(int record, int at, uint8_t value);
  void set32(int record, int at, int32_t value);
};

// A record holding `name` (up to 70 bytes) and `flags`, every other field 0.
std::string stored_record(const std::string& name, uint8_t flags = 0);

// The whole records of a record file, in order; a trailing fragment is none.
std::vector<FileRecord> records_in(const std::string& file);
std::vector<std::string> names_in(const std::string& file);

// PATH.dir and PATH.des.
void write_base(const std::string& path, const StoredBase& base);
StoredBase read_base(const std::string& path);

// tolvbase's check of the base at PATH: its result and every finding.
struct BaseCheck {
  CheckResult result;
  std::vector<Finding> findings;
  bool opened = false;
  std::string error;  // why it could not be opened
  // The findings as text, one a line, for a failure message.
  std::string text() const;
};
BaseCheck check_stored_base(const std::string& path);

}  // namespace tolv::test
