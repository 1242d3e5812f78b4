// The journal of the runs into an OUTDIR: OUTDIR/tolvboard.wal, written
// ahead of every change a run or an undo makes to a base, in the framed,
// checksummed records of journal_frame.h and journal_record.h (the format
// is docs/board-journal.md).
//
// A run writes its RUN record, then for each area, before tolvconv starts,
// an INTENT (the base, its listing, its files' sizes and identity before),
// synced; once tolvconv has ended, the base's files are synced and then the
// OUTCOME (how it ended, the files' state after), synced. So whatever ends
// the run, a kill, a crash or a full disk, the journal names every base
// the run may have changed and the state it found it in: --undo takes back
// an area with an intent and no outcome too.
//
// The journal of the earlier release, OUTDIR/tolvboard.journal (JSON
// Lines), is not read: --undo says so when it is all there is.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "companion/output_file.h"
#include "tolvboard/journal_record.h"

namespace tolv {

inline constexpr char kJournalName[] = "tolvboard.wal";
inline constexpr char kOldJournalName[] = "tolvboard.journal";

// ------------------------------------------------------------- reading

struct JournalRun {
  RunRecord record;
  int64_t offset = 0;
  bool undo_started = false;  // an UNDO names it
  bool undone = false;        // an UNDO_END names it
};

struct JournalArea {
  IntentRecord intent;
  int64_t offset = 0;  // of its intent
  bool has_outcome = false;
  OutcomeRecord outcome;
  bool undo_started = false;  // an UNDO_BASE names it
  UndoBaseRecord undo;
  bool undone = false;  // an UNDONE names it
  BaseFiles undone_state;
};

// The journal's last word on a base: the state it last gave its files, and
// which record gave it.
enum class LastWord { Before, After, UndoStarted, Undone };
struct BaseWord {
  size_t area = 0;  // index into JournalContents::areas
  LastWord word = LastWord::Before;
  BaseFiles files;  // for UndoStarted: the state before the undo began
};

struct JournalContents {
  std::vector<JournalRun> runs;  // in the order they ran; runs[n - 1] is run n
  std::vector<JournalArea> areas;
  std::map<std::string, BaseWord> last;  // by base name
  int64_t whole = 0;                     // bytes of whole records
  bool torn = false;                     // a record cut short after them
};

// Reads a journal's bytes; false, with `error` saying which record and
// why, when it is damaged or a record does not fit where it stands.
bool read_journal(std::string_view bytes, JournalContents& journal, std::string& error);

// ------------------------------------------------------------- writing

struct Journal {
  OutputFile file;
  uint32_t run = 0;       // the run this process writes
  bool unsynced = false;  // a record is written that is not on the disk yet
  std::string failed;     // why a record could not be written; empty while none failed
};

// Opens OUTDIR's journal (made when missing, with its mark) and reads it
// into `contents`; a torn end is cut off. False, with `error`, when it
// cannot be opened or read or is damaged.
bool open_journal(Journal& journal, const std::string& out_dir, KeptFiles& kept,
                  JournalContents& contents, std::string& error);

// The bytes each area of a run may need in the journal, for the run and
// for its undo: what a run keeps room for.
int64_t journal_room(size_t areas);

// Appends one encoded record, synced (with any written before it); false,
// with `failed` set.
bool journal_append(Journal& journal, const std::string& record);

// Appends one encoded record to be synced with the next, or at the close:
// what must be on the disk before the next area starts, not at once.
bool journal_append_later(Journal& journal, const std::string& record);

// Syncs what is not on the disk yet and closes; false, with `failed` set,
// when the sync failed.
bool close_journal(Journal& journal, KeptFiles& kept);

}  // namespace tolv
