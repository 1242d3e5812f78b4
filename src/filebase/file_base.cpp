#include "filebase/file_base.h"

#include <cstring>
#include <limits>

#include "filebase/description_lines.h"
#include "runtime/exit.h"
#include "runtime/io_error.h"

namespace tolv {

namespace {

// Opens an existing file, or creates it when the open fails with a code.
void open_or_create(File& file, const std::string& path) {
  file_open(file, path, OpenMode::ReadWrite);
  if (error_code_query() != 0) file_open(file, path, OpenMode::Create);
}

}  // namespace

void open_file_base(FileBase& base, const std::string& record_path,
                    const std::string& description_path) {
  base.record_path = record_path;
  base.description_path = description_path;
  base.names = NameIndex{};  // nothing read yet: the first check fills it
  base.appended_to = FileIdentity{};
  open_or_create(base.records, record_path);
  statement_check();
  open_or_create(base.descriptions, description_path);
  statement_check();
  // One conversion of a base at a time: a second one waits here until the
  // first has ended. The lock is on the description file because the record
  // file is closed and opened again by every duplicate check, which would
  // drop a lock held on it.
  file_lock_exclusive(base.descriptions);
}

FileRecord make_record(const Entry& entry, int32_t desc_ptr) {
  FileRecord record;
  record.FileName.assign(entry.file_name.view());
  record.Size = entry.size;
  record.DateTime = entry.date_time;
  record.Origin.assign(kOrigin);
  record.Flags = 0;
  record.DescPtr = desc_ptr;
  record.DescLines = static_cast<uint8_t>(entry.desc_count);
  record.AuxCount = 0;
  return record;
}

void append_entry(FileBase& base, const Entry& entry) {
  int64_t desc_ptr = 0;
  named_file_identity(base.descriptions, &desc_ptr);
  if (pending_error != 0) return;
  if (desc_ptr > std::numeric_limits<int32_t>::max()) {
    // DescPtr is a signed 32-bit offset: nothing past 2 GiB can be addressed.
    pending_error = kDiskWriteError;
    return;
  }
  size_t n = encode_description(entry, base.lines);
  file_write_at(base.descriptions, base.lines, n, desc_ptr);
  FileRecord record = make_record(entry, static_cast<int32_t>(desc_ptr));
  encode_record(record, base.record);
  int64_t record_bytes = 0;
  FileIdentity record_file = named_file_identity(base.records, &record_bytes);
  int64_t records = record_bytes / kRecordSize;
  file_write_at(base.records, base.record, kRecordSize, records * kRecordSize);
  if (pending_error != 0) return;
  // A stored record counts for the duplicate check of every later entry.
  index_note_append(base.names, records, record);
  base.appended_to = record_file;
}

void close_file_base(FileBase& base) {
  file_close(base.records);
  file_close(base.descriptions);
}

}  // namespace tolv
