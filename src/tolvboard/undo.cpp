#include "tolvboard/undo.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "companion/base_cut.h"
#include "companion/messages.h"
#include "companion/output.h"
#include "companion/read_only_file.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "filebase/record.h"
#include "runtime/syscall.h"
#include "tolvboard/journal.h"
#include "tolvboard/options.h"
#include "tolvboard/outdir_lock.h"
#include "tolvboard/run_stamp.h"

namespace tolv {

namespace {

constexpr int kExitUndone = 0;
constexpr int kExitLeftAlone = 1;

// The options --undo goes with; any other is a usage error.
enum class Verdict { Undone, LeftAlone, Failed };

struct BaseUndo {
  Verdict verdict = Verdict::LeftAlone;
  std::string text;
};

// "2026-12-09 10:11:12 UTC"; gmtime_r reads no time-zone file.
std::string utc_time(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm parts;
  char text[64] = "?";
  if (gmtime_r(&t, &parts))
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC", parts.tm_year + 1900,
             parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

std::string words(const std::vector<std::string>& command) {
  std::string text;
  for (const std::string& word : command) text.append(text.empty() ? "" : " ").append(word);
  return escape_controls(text);
}

// Why one file of a base is not as the journal left it; empty when it is.
std::string difference(const std::string& which, const FileState& now, const FileState& then) {
  if (!then.exists) return "the journal has no " + which;
  if (now.device != then.device || now.inode != then.inode)
    return "its " + which + " is another file than the journal names (replaced)";
  if (now.size != then.size)
    return "its " + which + " has " + counted(now.size, "byte") + ", not the " +
           std::to_string(then.size) + " the journal expects";
  if (now.mtime_ns != then.mtime_ns)
    return "its " + which + " was written at " + utc_time(now.mtime_ns / 1000000000) +
           ", after the journal's last line for it";
  return {};
}

bool changed_by_run(const JournalArea& area) {
  const BaseFiles& after = area.after;
  int64_t description_bytes = after.descriptions.exists ? after.descriptions.size : 0;
  return area.record_file_existed != after.records.exists ||
         area.description_file_existed != after.descriptions.exists ||
         area.records_before != area.records_after ||
         area.description_bytes_before != description_bytes;
}

BaseUndo left_alone(std::string why) {
  return {Verdict::LeftAlone, std::move(why)};
}

// Takes one base back to where it was before the run, when it is still as
// `expected` (the journal's last state of it).
BaseUndo undo_base(const std::string& path, const JournalArea& area, const BaseFiles& expected) {
  const BaseFiles& after = area.after;
  if (!after.records.exists || !after.descriptions.exists)
    return left_alone("the run left it without one of its files");
  if (area.records_before < 0 || area.description_bytes_before < 0)
    return left_alone("the journal does not know its size before the run");
  if (expected.records.size != after.records.size ||
      expected.descriptions.size != after.descriptions.size)
    return left_alone("a later run changed it, and its undo left it alone");
  CutBase cut;
  if (open_base_to_cut(cut, path) != CutOpen::Opened) return left_alone(cut.error);
  std::string why = difference("record file", cut.opened.records, expected.records);
  if (why.empty())
    why = difference("description file", cut.opened.descriptions, expected.descriptions);
  if (!why.empty()) {
    close_cut_base(cut);
    return left_alone("changed since the run: " + why);
  }
  // The record file first, as every cut: a stop between the two leaves
  // only description bytes that no record points at.
  bool done = (area.record_file_existed
                   ? cut_file(cut, BaseFile::Records, area.records_before * kRecordSize)
                   : remove_file(cut, BaseFile::Records)) &&
              (area.description_file_existed
                   ? cut_file(cut, BaseFile::Descriptions, area.description_bytes_before)
                   : remove_file(cut, BaseFile::Descriptions));
  close_cut_base(cut);
  if (!done) return {Verdict::Failed, cut.error};
  if (!area.record_file_existed && !area.description_file_existed)
    return {Verdict::Undone, "its files removed: the run made them"};
  return {Verdict::Undone, "back to " + counted(area.records_before, "record") + ", " +
                               counted(area.description_bytes_before, "description byte")};
}

// Opens and reads OUTDIR's journal; the descriptor (kept for appending), or
// -1 after complaining.
int read_journal_file(const std::string& out_dir, const std::string& path, std::string& bytes) {
  struct stat st;
  if (sys_lstat(path.c_str(), &st) < 0 && system_error == ENOENT) {
    note("'" + out_dir + "' has no " + kJournalName + ": no run of tolvboard to undo there");
    return -1;
  }
  std::string error;
  ReadOnlyFile file;
  file.path = path;
  file.fd = open_journal_file(path, O_RDWR, error);
  if (file.fd >= 0 && sys_fstat(file.fd, &st) < 0) error = cannot("examine", path, system_error);
  if (file.fd >= 0 && error.empty()) {
    bytes.assign(static_cast<size_t>(st.st_size), '\0');
    if (read_exactly(file, bytes.data(), bytes.size(), 0)) return file.fd;
    error = file.error;
  }
  if (file.fd >= 0) sys_close(file.fd);
  note(error);
  return -1;
}

// Cuts back the bases of the last run the journal of `out_dir` (whose
// status is `dir`) holds that is not undone yet; the exit status.
int undo_last_run(const std::string& out_dir, const struct stat& dir) {
  std::string path = out_dir + "/" + kJournalName, bytes, error;
  int fd = read_journal_file(out_dir, path, bytes);
  if (fd < 0) return kExitTrouble;
  JournalContents journal;
  auto run = journal.runs.rend();
  if (!read_journal(bytes, journal, error)) {
    error = "'" + path + "' is damaged at " + error + "; nothing undone";
  } else {
    run = std::find_if(journal.runs.rbegin(), journal.runs.rend(),
                       [](const JournalRun& r) { return !r.undone; });
    for (const JournalRun& r : journal.runs)
      if (error.empty() && (r.out_dir_device != dir.st_dev || r.out_dir_inode != dir.st_ino))
        error = "'" + path + "' was written in another directory than '" + out_dir +
                "' (copied or moved here; line " + std::to_string(r.line) + "); nothing undone";
  }
  if (!error.empty() || run == journal.runs.rend()) {
    sys_close(fd);
    if (!error.empty()) return complain(error);
    note("nothing left to undo: " + (journal.runs.empty()
                                         ? "'" + path + "' names no run"
                                         : "every run in '" + path + "' is undone"));
    return kExitLeftAlone;
  }

  Output out;
  put(out, "undoing the run of " + utc_time(run->time) + ": " + words(run->command) + "\n");
  int64_t undone = 0, left = 0, unchanged = 0;
  bool failed = false;
  for (const JournalArea& area : journal.areas) {
    if (area.run != run->id) continue;
    std::string base = out_dir + "/" + area.base;
    // Named as its files are, without the listing's extension.
    std::string shown = escape_controls(derive_base_paths(base).stem);
    if (area.undone) {
      put(out, "undone: " + shown + ": by an undo that stopped before the end\n");
      ++undone;
      continue;
    }
    if (!changed_by_run(area)) {
      ++unchanged;
      continue;
    }
    BaseUndo result = undo_base(base, area, journal.latest[area.base]);
    const char* verdict = result.verdict == Verdict::Undone      ? "undone: "
                          : result.verdict == Verdict::LeftAlone ? "left alone: "
                                                                 : "not undone: ";
    // The reason may name a file of the base by its path.
    put(out, verdict + shown + ": " + escape_controls(result.text) + "\n");
    if (result.verdict == Verdict::LeftAlone) ++left;
    if (result.verdict == Verdict::Failed) failed = true;
    if (result.verdict != Verdict::Undone) continue;
    ++undone;
    if (!append_journal_line(fd, path,
                             undone_line(run->id, area.base, sys_time(), base_files(base)), error))
      failed = true;
  }
  put(out, counted(undone, "base") + " undone, " + std::to_string(left) + " left alone, " +
               std::to_string(unchanged) + " unchanged by the run\n");
  // A run whose undo failed stays to be undone: the next --undo takes up
  // the bases it did not reach.
  if (!failed &&
      !append_journal_line(fd, path, undo_line(run->id, sys_time(), undone, left), error))
    failed = true;
  sys_close(fd);
  if (failed) {
    flush(out);
    if (!error.empty()) note(error);
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

  // OUTDIR's lock is held to the end, as a run holds it: no run converts
  // into the bases while they are cut back.
  OutdirLock lock;
  RunStamp stamp = stamp_this_run(arguments.words);
  std::string lock_error;
  if (!take_outdir_lock(lock, out_dir, holder_text(stamp), has_option(arguments, BoardOption::Wait),
                        lock_error))
    return complain(lock_error);
  int status = undo_last_run(out_dir, dir);
  release_outdir_lock(lock);
  return status;
}

}  // namespace tolv
