#include "tolvboard/undo.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "companion/messages.h"
#include "companion/output.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "runtime/syscall.h"
#include "tolvboard/base_name.h"
#include "tolvboard/journal.h"
#include "tolvboard/options.h"
#include "tolvboard/outdir_lock.h"
#include "tolvboard/run_stamp.h"
#include "tolvboard/undo_base.h"

namespace tolv {

namespace {

constexpr int kExitUndone = 0;
constexpr int kExitLeftAlone = 1;

bool exists(const std::string& path) {
  struct stat st;
  return sys_lstat(path.c_str(), &st) == 0;
}

// What an OUTDIR that holds only the earlier release's journal is told.
std::string earlier_journal(const std::string& out_dir) {
  return quoted(out_dir + "/" + kOldJournalName) +
         " was written by an earlier release of tolvboard, whose runs this one does not take "
         "back; it is left as it is (tolvbase truncate BASE RECORDS cuts a base back to the "
         "records_before its lines give)";
}

// The journal of `out_dir`, read: for an undo opened to append, for a dry
// run only read. False after complaining.
bool read_journal_of(const std::string& out_dir, bool dry_run, Journal& journal,
                     JournalContents& contents, KeptFiles& kept) {
  std::string path = out_dir + "/" + kJournalName, error;
  bool read = false;
  if (!exists(path)) {
    error = exists(out_dir + "/" + kOldJournalName) ? earlier_journal(out_dir)
                                                    : quoted(out_dir) + " has no " + kJournalName +
                                                          ": no run of tolvboard to undo there";
  } else if (!dry_run) {
    read = open_journal(journal, out_dir, kept, contents, error);
    if (!read) error += "; nothing undone";
  } else {
    std::string bytes;
    read = read_whole_file(path, bytes, error) && read_journal(bytes, contents, error);
    if (!read && !bytes.empty())
      error = quoted(path) + " is damaged: " + error + "; nothing undone";
  }
  if (!read) complain(error);
  return read;
}

// The run to take back: the last one not undone whole. Null after saying
// why there is none.
const JournalRun* run_to_undo(const JournalContents& contents, const std::string& out_dir,
                              const struct stat& dir, int& status) {
  std::string path = out_dir + "/" + kJournalName;
  for (const JournalRun& run : contents.runs)
    if (run.record.out_dir_device != static_cast<uint64_t>(dir.st_dev) ||
        run.record.out_dir_inode != static_cast<uint64_t>(dir.st_ino)) {
      status = complain(quoted(path) + " was written in another directory than " + quoted(out_dir) +
                        " (copied or moved here; the run at byte " + std::to_string(run.offset) +
                        "); nothing undone");
      return nullptr;
    }
  auto run = std::find_if(contents.runs.rbegin(), contents.runs.rend(),
                          [](const JournalRun& r) { return !r.undone; });
  if (run != contents.runs.rend()) return &*run;
  std::string why = contents.runs.empty() ? quoted(path) + " names no run"
                                          : "every run in " + quoted(path) + " is undone";
  if (exists(out_dir + "/" + kOldJournalName)) why += "; " + earlier_journal(out_dir);
  note("nothing left to undo: " + why);
  status = kExitLeftAlone;
  return nullptr;
}

// The areas of the run, by their bases' names as a person sorts them.
std::vector<size_t> areas_of(const JournalContents& contents, uint32_t run) {
  std::vector<size_t> areas;
  for (size_t i = 0; i < contents.areas.size(); ++i)
    if (contents.areas[i].intent.run == run) areas.push_back(i);
  std::stable_sort(areas.begin(), areas.end(), [&](size_t a, size_t b) {
    return natural_less(contents.areas[a].intent.base, contents.areas[b].intent.base);
  });
  return areas;
}

int undo_run(const JournalContents& contents, const JournalRun& run, const std::string& out_dir,
             Journal* journal) {
  Output out;
  bool dry = journal == nullptr;
  put(out, std::string(dry ? "would undo" : "undoing") + " the run of " +
               utc_time_text(run.record.time) + ": " + run.record.command + "\n");
  if (contents.torn)
    note(
        "the journal's last record was cut short (a full disk, a crash): it is left out, and "
        "the whole records before it are taken back");
  bool failed =
      !dry && !journal_append(*journal, encode(UndoRecord{run.record.run, sys_time(),
                                                          static_cast<uint32_t>(sys_getpid())}));
  int64_t undone = 0, left = 0, unchanged = 0;
  for (size_t index : failed ? std::vector<size_t>{} : areas_of(contents, run.record.run)) {
    const JournalArea& area = contents.areas[index];
    // Named as its files are, without the listing's extension.
    std::string shown = escape_controls(derive_base_paths(out_dir + "/" + area.intent.base).stem);
    BaseUndo result = undo_area(contents, index, out_dir, journal);
    const char* verdict = result.verdict == Verdict::Undone
                              ? (dry ? "would be undone: " : "undone: ")
                          : result.verdict == Verdict::LeftAlone ? "left alone: "
                          : result.verdict == Verdict::Refused   ? "not undone: "
                                                                 : nullptr;
    // The reason may name a file of the base by its path.
    if (verdict != nullptr) put(out, verdict + shown + ": " + escape_controls(result.text) + "\n");
    undone += result.verdict == Verdict::Undone;
    left += result.verdict == Verdict::LeftAlone;
    unchanged += result.verdict == Verdict::Unchanged;
    failed = failed || result.verdict == Verdict::Refused;
  }
  put(out, counted(undone, "base") + (dry ? " would be undone, " : " undone, ") +
               std::to_string(left) + " left alone, " + std::to_string(unchanged) +
               " unchanged by the run\n");
  // A run whose undo failed stays to be undone: the next --undo takes up
  // the bases it did not reach.
  if (!dry && !failed &&
      !journal_append(
          *journal, encode(UndoEndRecord{run.record.run, sys_time(), static_cast<uint32_t>(undone),
                                         static_cast<uint32_t>(left)})))
    failed = true;
  if (failed) {
    flush(out);
    if (!journal->failed.empty()) note(journal->failed);
    note("the run is not marked undone: --undo again takes up the bases left to undo");
  }
  return finish(out, failed ? kExitTrouble : left > 0 ? kExitLeftAlone : kExitUndone);
}

}  // namespace

int run_undo(const Arguments& arguments) {
  std::string out_dir(arguments.operands[0]);
  struct stat dir;
  if (out_dir.empty()) return usage_error("an empty file name");
  if (sys_stat(out_dir.c_str(), &dir) < 0 || !S_ISDIR(dir.st_mode))
    return complain("'" + out_dir + "' is not a directory");
  bool dry = has_option(arguments, BoardOption::DryRun);

  // OUTDIR's lock is held to the end, as a run holds it: no run converts
  // into the bases while they are cut back. A dry run takes none.
  KeptFiles kept;
  OutdirLock lock;
  RunStamp stamp = stamp_this_run(arguments.words);
  std::string error;
  if (!dry && !take_outdir_lock(lock, out_dir, holder_text(stamp),
                                has_option(arguments, BoardOption::Wait), kept, error))
    return complain(error);
  Journal journal;
  JournalContents contents;
  int status = kExitTrouble;
  if (read_journal_of(out_dir, dry, journal, contents, kept))
    if (const JournalRun* run = run_to_undo(contents, out_dir, dir, status))
      status = undo_run(contents, *run, out_dir, dry ? nullptr : &journal);
  close_journal(journal, kept);
  release_outdir_lock(lock, kept);
  return status;
}

}  // namespace tolv
