// Walks the records of a base in order, each with its description, as
// list, check and export read them: one block of records and one window of
// the description file at a time.
#pragma once

#include <cstdint>
#include <string>

#include "companion/base.h"
#include "companion/record_cursor.h"
#include "filebase/record.h"
#include "tolvbase/description.h"

namespace tolv {

struct StoredRecord {
  int64_t number = -1;
  FileRecord record;
  Description description;  // never ReadFailed: that ends the walk
};

struct BaseWalk {
  RecordCursor cursor;
  DescriptionReader reader;
  std::string error;  // why a read failed; empty while none has
};

BaseWalk walk_base(ReadOnlyBase& base);

// The next record into `stored`; false at the end, or when a read failed
// (`walk.error` then says why).
bool next_stored_record(BaseWalk& walk, StoredRecord& stored);

}  // namespace tolv
