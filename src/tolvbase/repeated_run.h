// A base whose last records repeat earlier ones, in order: a listing
// converted twice (without -DUPE, or with a third argument tolvconv does not
// take for it, such as --dupe). The whole base doubled, the last run's part
// doubled, or a second run cut short: the records from some N to the end
// are the same as those from an earlier M, record for record.
//
// Records are the same when what a conversion makes of an entry is: name,
// size, date and time, and every description line. Each record is held as
// one 8-byte prefix hash of those keys, so a base of any size is searched
// in O(n log n) time, never by comparing every record with every other.
#pragma once

#include <cstdint>
#include <vector>

#include "filebase/record.h"
#include "tolvbase/description.h"

namespace tolv {

struct RecordKeys {
  std::vector<uint64_t> prefix{0};  // prefix[i]: the hash of the keys of records 0 to i-1
};

// Adds the next record, in record order.
void add_record_key(RecordKeys& keys, const FileRecord& record, const Description& description);

struct RepeatedRun {
  int64_t first = -1;   // N, the first record of the repeat; -1: no repeat
  int64_t source = -1;  // M, the first record it repeats
  int64_t length = 0;   // records in the repeat, to the end of the base
};

// The longest run of last records that repeats earlier records without
// overlapping them: one that holds two different records, or a base of
// one record converted twice (one record appended again and again is the
// repeated-name note, not this).
RepeatedRun find_repeated_run(const RecordKeys& keys);

}  // namespace tolv
