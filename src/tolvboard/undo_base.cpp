#include "tolvboard/undo_base.h"

#include <tuple>

#include "companion/base_cut.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "filebase/record.h"
#include "runtime/syscall.h"
#include "tolvboard/run_stamp.h"

namespace tolv {

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr int64_t kRemoved = -1;  // a target: the file goes, the run made it

// What the cut leaves of each file: its whole records and its text before
// the run, or nothing where the run made the file.
struct Target {
  int64_t records = kRemoved;  // bytes
  int64_t descriptions = kRemoved;
};

Target target_of(const IntentRecord& intent) {
  Target t;
  if (intent.before.records.exists)
    t.records = intent.before.records.size / kRecordSize * kRecordSize;
  if (intent.before.descriptions.exists) t.descriptions = intent.before.descriptions.size;
  return t;
}

bool same_file(const FileState& a, const FileState& b) {
  return a.device == b.device && a.inode == b.inode;
}

int64_t bytes_of(const FileState& state) {
  return state.exists ? state.size : 0;
}

// Why the journal's own word on the area does not hold together; empty
// when it does.
std::string disagreement(const JournalArea& area) {
  const BaseFiles& before = area.intent.before;
  for (const FileState* state : {&before.records, &before.descriptions})
    if (state->exists && state->size < 0) return "the journal knows no size of it before the run";
  if (!area.has_outcome) return {};
  const BaseFiles& after = area.outcome.after;
  int64_t records_before = bytes_of(before.records) / kRecordSize;
  int64_t records_after = bytes_of(after.records) / kRecordSize;
  if (records_after < records_before)
    return "the journal gives it " + counted(records_before, "record") + " before the run and " +
           std::to_string(records_after) + " after";
  if (bytes_of(after.descriptions) < bytes_of(before.descriptions))
    return "the journal gives it " + counted(bytes_of(before.descriptions), "description byte") +
           " before the run and " + std::to_string(bytes_of(after.descriptions)) + " after";
  return {};
}

bool unchanged(const JournalArea& area, const BaseFiles& now) {
  const BaseFiles& before = area.intent.before;
  const BaseFiles& after = area.has_outcome ? area.outcome.after : now;
  return before.records.exists == after.records.exists &&
         before.descriptions.exists == after.descriptions.exists &&
         bytes_of(before.records) / kRecordSize == bytes_of(after.records) / kRecordSize &&
         bytes_of(before.descriptions) == bytes_of(after.descriptions);
}

// How the base must be found to be cut, from the journal's last word on it.
enum class Expect { Exact, Grown, HalfCut };
struct Expectation {
  Expect expect = Expect::Exact;
  BaseFiles files;
  std::string refusal;  // why it is left alone instead
};

Expectation expectation_of(const JournalContents& contents, size_t index, const BaseFiles& now) {
  const JournalArea& area = contents.areas[index];
  const BaseWord& word = contents.last.at(area.intent.base);
  if (word.area != index) {
    // A later run, taken back already (runs go back newest first): it
    // left the base as its undo, or as it found it.
    const JournalArea& later = contents.areas[word.area];
    if (word.word == LastWord::Undone || unchanged(later, now))
      return {Expect::Exact, word.files, {}};
    return {Expect::Exact,
            {},
            "run " + std::to_string(later.intent.run) +
                " changed it later, and its undo left it alone"};
  }
  switch (word.word) {
    case LastWord::After:
      return {Expect::Exact, area.outcome.after, {}};
    case LastWord::Before:
      return {Expect::Grown, area.intent.before, {}};
    case LastWord::UndoStarted:
    case LastWord::Undone:
      break;
  }
  return {Expect::HalfCut, word.files, {}};
}

// Why one file of the base is not as expected; empty when it is.
std::string difference(const std::string& which, const FileState& now, const FileState& then,
                       Expect expect, int64_t target) {
  if (!then.exists) return now.exists && expect == Expect::Exact ? "its " + which + " is new" : "";
  // A removal cut short took the record file already.
  if (!now.exists)
    return expect == Expect::HalfCut && target == kRemoved ? "" : "its " + which + " is gone";
  if (!same_file(now, then))
    return "its " + which + " is another file than the journal names (replaced)";
  bool size_fits = expect == Expect::Grown     ? now.size >= then.size
                   : expect == Expect::HalfCut ? now.size == then.size || now.size == target
                                               : now.size == then.size;
  if (!size_fits)
    return "its " + which + " has " + counted(now.size, "byte") + ", not the " +
           std::to_string(then.size) + " the journal expects";
  if (expect == Expect::Exact && now.mtime_ns != then.mtime_ns)
    return "its " + which + " was written at " +
           utc_time_text(now.mtime_ns / kNanosecondsPerSecond) +
           ", after the journal's last word on it";
  return {};
}

// The DescPtr of record `number`; -1 when it cannot be read.
int64_t desc_ptr_of(CutBase& cut, int64_t number) {
  uint8_t bytes[kRecordSize];
  if (!read_exactly(cut.files.records, bytes, kRecordSize, number * kRecordSize)) return -1;
  return decode_record(bytes).DescPtr;
}

// Why cutting the base to `target` would not leave it as the run found it:
// the first record cut must have its text where the text ended before, and
// the last record kept its text before that. Empty when the cut fits.
std::string misfit(CutBase& cut, const Target& target) {
  int64_t kept = target.records < 0 ? 0 : target.records / kRecordSize;
  int64_t text_end = target.descriptions < 0 ? 0 : target.descriptions;
  int64_t now = cut.opened.records.size / kRecordSize;
  if (now > kept) {
    int64_t at = desc_ptr_of(cut, kept);
    if (at != text_end)
      return "record " + std::to_string(kept) + ", the first the run added, has its text at byte " +
             std::to_string(at) + ", not at byte " + std::to_string(text_end) +
             " where the base's text ended before it: the journal does not fit the base";
  }
  if (kept > 0 && now >= kept) {
    int64_t at = desc_ptr_of(cut, kept - 1);
    if (at < 0 || at >= text_end)
      return "record " + std::to_string(kept - 1) + ", which is kept, has its text at byte " +
             std::to_string(at) + ", past the " + counted(text_end, "description byte") +
             " the journal keeps: the journal does not fit the base";
  }
  return {};
}

bool cut_or_remove(CutBase& cut, BaseFile file, int64_t target) {
  return target == kRemoved ? remove_file(cut, file) : cut_file(cut, file, target);
}

std::string done_text(const Target& target, Expect expect) {
  if (target.records == kRemoved && target.descriptions == kRemoved)
    return "its files removed: the run made them";
  std::string text =
      "back to " + counted(target.records < 0 ? 0 : target.records / kRecordSize, "record") + ", " +
      counted(target.descriptions < 0 ? 0 : target.descriptions, "description byte");
  return expect == Expect::Grown ? text + " (the run was stopped in this area)" : text;
}

// Cuts the opened base to `target`, the target journaled before and the
// end after; false, with `error`.
bool cut_journaled(CutBase& cut, const JournalArea& area, const Target& target, Journal& journal,
                   const std::string& base, std::string& error) {
  UndoBaseRecord planned{area.intent.run, area.intent.area, target.records, target.descriptions};
  if (!journal_append(journal, encode(planned))) {
    error = journal.failed;
    return false;
  }
  // The record file first, as every cut: a stop between the two leaves
  // only description bytes that no record points at.
  if (!cut_or_remove(cut, BaseFile::Records, target.records) ||
      !cut_or_remove(cut, BaseFile::Descriptions, target.descriptions) || !sync_cut_base(cut)) {
    error = cut.error;
    return false;
  }
  if (journal_append(journal,
                     encode(UndoneRecord{area.intent.run, area.intent.area, base_files(base)})))
    return true;
  error = journal.failed;
  return false;
}

}  // namespace

BaseUndo undo_area(const JournalContents& contents, size_t index, const std::string& out_dir,
                   Journal* journal) {
  const JournalArea& area = contents.areas[index];
  std::string base = out_dir + "/" + area.intent.base;
  if (area.undone) return {Verdict::Undone, "by an undo that stopped before the end"};
  if (std::string why = disagreement(area); !why.empty()) return {Verdict::Refused, why};
  BaseFiles now = base_files(base);
  if (unchanged(area, now)) return {Verdict::Unchanged, {}};
  if (area.has_outcome && area.outcome.other_writer)
    return {Verdict::LeftAlone, "another program wrote into it while the run converted it"};
  Expectation expected = expectation_of(contents, index, now);
  if (!expected.refusal.empty()) return {Verdict::LeftAlone, expected.refusal};
  Target target = target_of(area.intent);
  for (auto [which, file, then, cut_to] :
       {std::tuple{"record file", now.records, expected.files.records, target.records},
        std::tuple{"description file", now.descriptions, expected.files.descriptions,
                   target.descriptions}})
    if (std::string why = difference(which, file, then, expected.expect, cut_to); !why.empty())
      return {Verdict::LeftAlone, "changed since the run: " + why};

  CutBase cut;
  CutOpen opened = open_base_to_cut(
      cut, base, expected.expect == Expect::HalfCut ? Gone::RecordFileMayBe : Gone::Nothing);
  // A program writing the base now (tolvconv left running by a run that was
  // killed) holds it only for a while: the run stays to be undone.
  if (opened == CutOpen::Busy)
    return {Verdict::Refused, cut.error + "; --undo again once it is free"};
  if (opened == CutOpen::Failed) return {Verdict::Refused, cut.error};
  std::string why;
  // Under the lock now: nothing may have changed since it was looked at.
  if (cut.opened.records.size != bytes_of(now.records) ||
      cut.opened.descriptions.size != bytes_of(now.descriptions) ||
      !same_file(cut.opened.descriptions, now.descriptions))
    why = "changed while it was looked at";
  if (why.empty()) why = misfit(cut, target);
  BaseUndo result{why.empty() ? Verdict::Undone : Verdict::Refused, why};
  if (why.empty() && journal != nullptr && !cut_journaled(cut, area, target, *journal, base, why))
    result = {Verdict::Refused, why};
  close_cut_base(cut);
  if (result.verdict == Verdict::Undone) result.text = done_text(target, expected.expect);
  return result;
}

}  // namespace tolv
