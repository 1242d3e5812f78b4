#include "tolvbase/base_walk.h"

namespace tolv {

BaseWalk walk_base(ReadOnlyBase& base) {
  return {record_cursor(base), description_reader(base), {}};
}

bool next_stored_record(BaseWalk& walk, StoredRecord& stored) {
  const uint8_t* bytes = next_record(walk.cursor);
  if (bytes == nullptr) {
    walk.error = walk.cursor.file->error;
    return false;
  }
  stored.number = walk.cursor.next - 1;
  stored.record = decode_record(bytes);
  stored.description =
      read_description(walk.reader, stored.record.DescPtr, stored.record.DescLines);
  if (stored.description.state != DescriptionState::ReadFailed) return true;
  walk.error = walk.reader.file->error;
  return false;
}

}  // namespace tolv
