#include "companion/record_cursor.h"

#include <algorithm>

#include "filebase/record.h"

namespace tolv {

namespace {

constexpr int64_t kBlockRecords = 512;

}  // namespace

RecordCursor record_cursor(ReadOnlyBase& base) {
  RecordCursor cursor;
  cursor.file = &base.records;
  cursor.count = record_count(base);
  return cursor;
}

const uint8_t* next_record(RecordCursor& cursor) {
  if (cursor.next >= cursor.count) return nullptr;
  int64_t in_block = cursor.next - cursor.block_first;
  if (cursor.block_records == 0 || in_block >= cursor.block_records) {
    cursor.block_first = cursor.next;
    cursor.block_records = std::min(kBlockRecords, cursor.count - cursor.next);
    cursor.block.resize(static_cast<size_t>(cursor.block_records * kRecordSize));
    if (!read_exactly(*cursor.file, cursor.block.data(), cursor.block.size(),
                      cursor.block_first * kRecordSize)) {
      cursor.block_records = 0;
      return nullptr;
    }
    in_block = 0;
  }
  ++cursor.next;
  return cursor.block.data() + in_block * kRecordSize;
}

}  // namespace tolv
