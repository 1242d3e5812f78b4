// The file base: a record file (".dir") of 120-byte file records and a
// description file (".des") of length-prefixed description lines, sharing a
// base path. The writer appends one entry at a time: its description lines
// first, at the description file's end, then its record after the record
// file's last whole record, with DescPtr = the description file's size before
// the lines. A failure between the two leaves unreferenced description bytes,
// never a record whose description is missing. Writes are unbuffered: every
// record is in the file as soon as it is appended. A file that has lost its
// name during the run (deleted, or replaced by a rename) ends the run with
// 101 at the entry that finds it so, before anything more is written to it.
#pragma once

#include <cstdint>
#include <string>

#include "filebase/description_lines.h"
#include "filebase/name_index.h"
#include "filebase/record.h"
#include "listing/entry.h"
#include "runtime/file.h"

namespace tolv {

struct FileBase {
  File records;
  File descriptions;
  std::string record_path;
  std::string description_path;
  uint8_t record[kRecordSize];   // the one record buffer
  uint8_t lines[kMaxDescBytes];  // an entry's description lines, as stored
  NameIndex names;               // for the duplicate check; filled by its first call
  FileIdentity appended_to;      // the record file of the run's appends; {0, 0} before the first
};

// Opens both files, record file first; a missing file is created (mode 0666
// less the umask), an existing one is never truncated. A failure ends the
// run before the next file is touched. Then takes the base's exclusive lock
// (on the description file), waiting for a conversion that holds it.
void open_file_base(FileBase& base, const std::string& record_path,
                    const std::string& description_path);

// Appends the entry's description lines and its record, and tells the name
// index about the record. Failures are left pending for the statement check
// that follows.
void append_entry(FileBase& base, const Entry& entry);

void close_file_base(FileBase& base);

// The record an entry becomes, given where its description starts.
FileRecord make_record(const Entry& entry, int32_t desc_ptr);

}  // namespace tolv
