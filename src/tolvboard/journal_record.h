// The records of tolvboard's journal and their payloads, byte by byte as
// docs/board-journal.md describes them: integers little-endian, a text as
// its 4-byte length and its bytes, the state of a file as 33 bytes.
//
// A board run writes RUN, then for each area an INTENT before tolvconv
// starts and an OUTCOME once it has ended and the base is on the disk. An
// undo writes UNDO, then for each base an UNDO_BASE before it cuts and an
// UNDONE once the cut is on the disk, then UNDO_END.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "companion/base_cut.h"

namespace tolv {

enum class RecordType : uint8_t {
  Run = 1,
  Intent = 2,
  Outcome = 3,
  Undo = 4,
  UndoBase = 5,
  Undone = 6,
  UndoEnd = 7,
};

struct RunRecord {
  uint32_t run = 0;  // 1 for the journal's first run, then one more each
  int64_t time = 0;  // seconds since 1970
  uint32_t pid = 0;
  uint64_t out_dir_device = 0;  // OUTDIR's identity: a journal moved elsewhere is known
  uint64_t out_dir_inode = 0;
  std::string command;  // as the log shows it
};

struct IntentRecord {
  uint32_t run = 0;
  uint32_t area = 0;
  std::string base;     // the name tolvconv is given, inside OUTDIR
  std::string listing;  // the area's listing, as found on this system
  std::string spelled;  // and as the area list spells it
  BaseFiles before;     // taken under the base's lock
};

// How an area's conversion ended.
enum class Ending : uint8_t {
  Converted = 0,    // tolvconv ended with status 0
  Failed = 1,       // it ended otherwise, or could not be run
  Interrupted = 2,  // tolvboard was interrupted and ended it
};

struct OutcomeRecord {
  uint32_t run = 0;
  uint32_t area = 0;
  Ending ending = Ending::Failed;
  int32_t status = -1;        // tolvconv's exit status; -1 none
  int64_t counted = -1;       // the records tolvconv says it appended; -1 unknown
  bool other_writer = false;  // another program wrote the base during the area
  BaseFiles after;            // once on the disk
};

struct UndoRecord {
  uint32_t run = 0;  // the run being taken back
  int64_t time = 0;
  uint32_t pid = 0;
};

struct UndoBaseRecord {
  uint32_t run = 0;
  uint32_t area = 0;
  int64_t record_bytes = 0;  // what the cut leaves; -1: the file is removed
  int64_t description_bytes = 0;
};

struct UndoneRecord {
  uint32_t run = 0;
  uint32_t area = 0;
  BaseFiles now;  // as the cut left them
};

struct UndoEndRecord {
  uint32_t run = 0;
  int64_t time = 0;
  uint32_t undone = 0;
  uint32_t left = 0;
};

// Each record, framed (journal_frame.h), ready to append.
std::string encode(const RunRecord& r);
std::string encode(const IntentRecord& r);
std::string encode(const OutcomeRecord& r);
std::string encode(const UndoRecord& r);
std::string encode(const UndoBaseRecord& r);
std::string encode(const UndoneRecord& r);
std::string encode(const UndoEndRecord& r);

// Each false when the payload is not one of its kind: too short, too long,
// a field out of its range.
bool decode(std::string_view payload, RunRecord& r);
bool decode(std::string_view payload, IntentRecord& r);
bool decode(std::string_view payload, OutcomeRecord& r);
bool decode(std::string_view payload, UndoRecord& r);
bool decode(std::string_view payload, UndoBaseRecord& r);
bool decode(std::string_view payload, UndoneRecord& r);
bool decode(std::string_view payload, UndoEndRecord& r);

}  // namespace tolv
