#include "filebase/duplicate.h"

#include <algorithm>
#include <vector>

#include "filebase/name_index.h"
#include "runtime/exit.h"
#include "runtime/io_error.h"

namespace tolv {

namespace {

// Records per read while the index is filled: whole records only, so a
// trailing fragment is never read.
constexpr int64_t kChunkRecords = 1024;

}  // namespace

bool is_duplicate(FileBase& base, std::string_view name) {
  TOLV_CALL_LEVEL();
  // Rewind: close the record file and open it again by its path. An open
  // that fails without a code leaves a file that counts as open with no
  // descriptor; the size query below then fails with code 6.
  file_close(base.records);
  file_open(base.records, base.record_path, OpenMode::ReadWrite);
  statement_check();

  // At end: the file holds this many whole records now. The same status
  // query gives the file's identity: while the run holds the record file
  // open its inode cannot be reused, so a file put in its place under the
  // same path shows a new identity. Only whole records count: a change to a
  // trailing fragment does not matter.
  int64_t size = 0;
  FileIdentity identity = file_identity(base.records, &size);
  // Once the run has appended, the file under the path must be the one it
  // appended to: another one there means the records went to a file that has
  // lost that name, and appending on in the new one would mix two bases.
  if (pending_error == 0 && base.appended_to != FileIdentity{} && identity != base.appended_to)
    pending_error = kDiskWriteError;
  statement_check();
  int64_t records = size / kRecordSize;

  if (!index_covers(base.names, identity, records)) {
    index_restart(base.names, identity, records);
    // Only a refill needs it, at most once or twice a run.
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min(kChunkRecords, records) * kRecordSize));
    for (int64_t at = 0; at < records;) {
      int64_t count = std::min(kChunkRecords, records - at);
      size_t want = static_cast<size_t>(count * kRecordSize);
      // A read that delivers less than asked, or fails, is a record read
      // past the end: code 100 whatever the system reported.
      if (file_read_at(base.records, chunk.data(), want, at * kRecordSize) < want) {
        pending_error = kReadPastEnd;
      }
      statement_check();
      for (int64_t i = 0; i < count; ++i)
        index_add_stored(base.names, chunk.data() + i * kRecordSize);
      at += count;
    }
    index_complete(base.names);
  }

  return index_holds_entry_name(base.names, name);
}

}  // namespace tolv
