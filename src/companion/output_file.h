// The one way the companions open what they write, beside read_only_file.h
// for what they read: a report, a normalized listing, tolvboard's log,
// lock and journal. A base is written only by tolvconv and cut back only
// through base_cut.h.
//
// An output is a regular file, made when it is missing; it is never reached
// through a symbolic link, never a FIFO or a device (the open does not
// wait for a reader), never a file base's .dir or .des, and never one of
// the files the caller keeps out: the listing, the input being read, the
// standard streams, a base, an output already open, each compared by
// device and inode, so that no other name for the same file gets past. A
// file opened to be replaced is emptied only once it is known to be none
// of these.
//
// Every failure becomes a message here, naming the file and the real
// reason: a write or close that fails is never reported as a success.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "companion/output.h"

namespace tolv {

// A file no output may be, and what it is ("the listing", "standard output").
struct KeptFile {
  uint64_t device = 0;
  uint64_t inode = 0;
  std::string what;
};
using KeptFiles = std::vector<KeptFile>;

// Keeps the file open on `fd` out, when it can be examined.
void keep_open_file(KeptFiles& kept, int fd, std::string what);
// Keeps the file at `path` out (links followed), when there is one.
void keep_path(KeptFiles& kept, const std::string& path, std::string what);

enum class OutputMode {
  Replace,  // emptied, then written from its start
  Append,   // every write at its end (a log, a journal); readable too
  Update,   // written in place (a lock file); readable too
};

struct OutputFile {
  std::string path;
  int fd = -1;
  Output out;  // what is written, buffered
  uint64_t device = 0;
  uint64_t inode = 0;
  std::string error;  // why the last step failed
};

// Opens `path` to write; false, with `error`, when it is refused or cannot
// be opened. The file joins `kept` while it is open, as an output already
// open (close_output takes it out again).
bool open_output(OutputFile& file, const std::string& path, OutputMode mode, KeptFiles& kept);

// An unnamed file in TMPDIR (else /tmp), read and written, gone when
// closed: what a dry run holds instead of writing it.
bool open_scratch_output(OutputFile& file, std::string what);

// Buffers `text` (written out as the buffer fills).
void write_output(OutputFile& file, std::string_view text);

// Writes what is buffered; false, with `error`, when a write failed.
bool flush_output(OutputFile& file);

// Appends `bytes` whole, or not at all: a write cut short (a full disk) is
// cut off the file again. False, with `error`.
bool append_whole(OutputFile& file, std::string_view bytes);

// The same, and puts what the file holds on the disk.
bool append_durably(OutputFile& file, std::string_view bytes);

// Puts what was written on the disk (fdatasync).
bool sync_output(OutputFile& file);

// Keeps room for `bytes` more past the end, without the file growing, so
// that later appends fit even on a disk that has filled. A file system
// that cannot keep room is no failure; a full disk is.
bool reserve_room(OutputFile& file, int64_t bytes);

// The file's size now; -1, with `error`, when it cannot be examined.
int64_t output_size(OutputFile& file);

// Cuts the file to `length` bytes (a torn end, a lock file emptied).
bool cut_output(OutputFile& file, int64_t length);

// Makes the directory `path` when it is missing (its parent must exist);
// false, with `error`, when it cannot, or `path` is something else.
bool make_directory(const std::string& path, std::string& error);

// Puts the names in directory `dir` on the disk (a file made or removed
// there); false, with `error`.
bool sync_directory(const std::string& dir, std::string& error);

// Writes what is buffered and closes the file; false, with `error`, when a
// write or the close failed. `kept` loses it.
bool close_output(OutputFile& file, KeptFiles& kept);
bool close_output(OutputFile& file);

}  // namespace tolv
