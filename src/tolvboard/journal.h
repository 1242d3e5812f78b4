// The journal of the runs into an OUTDIR: OUTDIR/tolvboard.journal, JSON
// Lines, appended by every run that converts (never by a dry run) and read
// by --undo. Its lines, each an object whose "kind" says which:
//
//   run     a run starting: "run" (its id: start time and process id),
//           "time" (seconds since 1970), "command" (its words), and
//           "outdir_device" and "outdir_inode", OUTDIR's identity, so a
//           journal copied from another directory is known as such
//   area    an area converted, written as soon as its conversion ends:
//           "run", "area", "base" (its name inside OUTDIR), whether each of
//           its two files existed before ("record_file_existed",
//           "description_file_existed"), "records_before",
//           "description_bytes_before", "records_after", and the state the
//           run left its files in (below)
//   undone  --undo cut a base of a run back: "run", "base", "time", and the
//           state the cut left its files in
//   undo    --undo is done with a run: "run", "time", "undone", "left"
//
// A state of a base's files is, for the record file, "record_bytes_after",
// "record_device", "record_inode" and "record_mtime_ns" (nanoseconds), and
// the same four for the description file ("description_..."); all four are
// null for a file that is missing, or whose state could not be taken. The
// last state the journal gives a base is what --undo expects to find: a
// base that differs from it in identity, size or modification time was
// changed by another program.
//
// Each line is written with one append, so a run cut short leaves a journal
// that undoes it up to its last area.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "companion/base_cut.h"
#include "companion/command_line.h"

namespace tolv {

inline constexpr char kJournalName[] = "tolvboard.journal";

struct Journal {
  int fd = -1;
  std::string path;
  std::string run;     // this run's id
  std::string failed;  // why a line could not be written; empty while none failed
};

// Opens OUTDIR's journal for appending (made when missing) and appends the
// run's line; false, with `error`, when either fails.
bool open_journal(Journal& journal, const std::string& out_dir, const Arguments& arguments,
                  std::string& error);

// Appends the line of area `number`, converted into `base` (OUTDIR/NAME),
// whose files were `before` until the conversion; their state now is taken
// here. Does nothing without a journal; a failure is kept in `failed`.
void journal_area(Journal* journal, int number, const std::string& base, const BaseFiles& before);

// Opens the journal at `path` with `flags` (O_WRONLY or O_RDWR, O_CREAT)
// for appending: a link or anything but a regular file is refused. The
// descriptor, or -1 with `error`.
int open_journal_file(const std::string& path, int flags, std::string& error);

// Appends `line` (one written by the functions below); false, with `error`,
// when it cannot be written whole.
bool append_journal_line(int fd, const std::string& path, const std::string& line,
                         std::string& error);

void close_journal(Journal& journal);

// ------------------------------------------------------------- reading

struct JournalRun {
  size_t line = 0;
  std::string id;
  int64_t time = 0;
  std::vector<std::string> command;
  uint64_t out_dir_device = 0;
  uint64_t out_dir_inode = 0;
  bool undone = false;  // an undo line names it
};

struct JournalArea {
  size_t line = 0;
  std::string run;
  int64_t area = 0;
  std::string base;
  bool record_file_existed = true;
  bool description_file_existed = true;
  int64_t records_before = -1;  // -1: unknown
  int64_t description_bytes_before = -1;
  int64_t records_after = -1;
  BaseFiles after;      // as the run left them
  bool undone = false;  // an undone line names it
};

struct JournalContents {
  std::vector<JournalRun> runs;  // in the order they ran
  std::vector<JournalArea> areas;
  std::map<std::string, BaseFiles> latest;  // each base's last state in the journal
};

// Reads every line of a journal's bytes; false, with `error` naming the
// first line that is not one of the above ("line N: ..."), when one is not.
bool read_journal(std::string_view bytes, JournalContents& journal, std::string& error);

std::string undone_line(const std::string& run, const std::string& base, int64_t time,
                        const BaseFiles& now);
std::string undo_line(const std::string& run, int64_t time, int64_t undone, int64_t left);

}  // namespace tolv
