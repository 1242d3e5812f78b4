#include "filebase/name_index.h"

#include <algorithm>

namespace tolv {

namespace {

constexpr int64_t kReserveLimit = 1 << 20;

void add_if_counting(NameIndex& index, const FileRecord& record) {
  if (record.Flags & kFlagNoDupeCheck) return;
  if (record.FileName.length > kFileNameCapacity) return;
  index.names.emplace(record.FileName.view());
}

}  // namespace

bool index_covers(const NameIndex& index, FileIdentity identity, int64_t records) {
  return index.valid && index.identity == identity && index.records == records;
}

void index_restart(NameIndex& index, FileIdentity identity, int64_t expected) {
  index.valid = false;
  index.identity = identity;
  index.records = 0;
  index.names.clear();
  // Room for the records to come, within reason: a damaged or huge file must
  // not ask for a table it may never fill.
  index.names.reserve(static_cast<size_t>(std::min<int64_t>(expected, kReserveLimit)));
}

void index_add_stored(NameIndex& index, const uint8_t record[kRecordSize]) {
  add_if_counting(index, decode_record(record));
  ++index.records;
}

void index_complete(NameIndex& index) {
  index.valid = true;
}

void index_note_append(NameIndex& index, int64_t at, const FileRecord& record) {
  if (!index.valid) return;
  if (index.records != at) {
    // The file changed in a way the index did not see: the next check
    // fills it again from the file.
    index.valid = false;
    return;
  }
  add_if_counting(index, record);
  ++index.records;
}

bool index_contains(const NameIndex& index, std::string_view name) {
  return index.names.find(name) != index.names.end();
}

bool index_holds_entry_name(const NameIndex& index, std::string_view entry_name) {
  return index_contains(index, entry_name.substr(0, kFileNameCapacity));
}

}  // namespace tolv
