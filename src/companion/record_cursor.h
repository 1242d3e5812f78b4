// Walks the record file front to back, reading whole records in blocks so a
// large file costs few system calls. A trailing fragment is never read.
#pragma once

#include <cstdint>
#include <vector>

#include "companion/base.h"

namespace tolv {

struct RecordCursor {
  ReadOnlyFile* file = nullptr;
  int64_t count = 0;  // whole records in the file
  int64_t next = 0;   // number of the record next_record gives
  std::vector<uint8_t> block;
  int64_t block_first = 0;
  int64_t block_records = 0;
};

RecordCursor record_cursor(ReadOnlyBase& base);

// The 120 bytes of record `cursor.next` (which then advances), or nullptr at
// the end or when a read failed (the file's `error` is then set).
const uint8_t* next_record(RecordCursor& cursor);

}  // namespace tolv
