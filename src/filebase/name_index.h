// The names a record file holds, as the duplicate check compares them: the
// FileName of every counting record (Flags bit 2 clear) whose length byte is
// within the field's 70 characters. A record with a longer length byte lies
// outside the format and never matches.
//
// The index remembers which file and how many whole records it was taken
// from, so the duplicate check can tell whether the record file it has just
// reopened is still the one the index describes. The writer reports every
// record it appends, so the index follows the run's own appends without
// reading them back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "filebase/record.h"
#include "runtime/file.h"

namespace tolv {

// Hashes any string-like key, so a lookup by string_view allocates nothing.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};

struct NameIndex {
  bool valid = false;     // false until filled, and after an append it could not follow
  FileIdentity identity;  // the record file the names were taken from
  int64_t records = 0;    // whole records covered, from record 0 on
  std::unordered_set<std::string, NameHash, std::equal_to<>> names;
};

// True when the index describes the first `records` records of the file
// `identity`, and nothing else.
bool index_covers(const NameIndex& index, FileIdentity identity, int64_t records);

// Empties the index, ready to be filled from record 0 of the file `identity`;
// `expected` records are about to be added.
void index_restart(NameIndex& index, FileIdentity identity, int64_t expected);

// Adds the next stored record, given as its 120 bytes.
void index_add_stored(NameIndex& index, const uint8_t record[kRecordSize]);

// Marks the index filled after index_restart and the index_add_stored calls.
void index_complete(NameIndex& index);

// The writer has stored `record` as record number `at` of the file the
// index describes. An index that covered exactly the records before it takes
// the record in; any other index can no longer be trusted and is dropped.
void index_note_append(NameIndex& index, int64_t at, const FileRecord& record);

// True when a counting record holds `name` exactly; `name` is compared as
// given (the caller cuts an entry's name to the field's capacity).
bool index_contains(const NameIndex& index, std::string_view name);

// The duplicate check's question for an entry: does a counting record hold
// the entry's name as it would be stored, cut to the field's 70 characters?
bool index_holds_entry_name(const NameIndex& index, std::string_view entry_name);

}  // namespace tolv
