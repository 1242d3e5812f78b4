// The files of one directory, read once and looked up by the names a listing
// gives them: in the spelling the listing uses, in any letter case (the
// listings come from systems whose names had none), and with DOS's bare
// trailing dot ("NAME." is the file NAME). What the listing never names is
// left over for the caller to report.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/file.h"

namespace tolv {

struct DirectoryFile {
  std::string name;  // as the disk spells it
  int64_t size = 0;
  unsigned year = 0, month = 0, day = 0;  // the modification date, local time
  bool named = false;                     // set by find_file when the listing names it
};

struct FileDirectory {
  std::string path;
  // Regular files only (a link to a regular file counts), sorted by name
  // byte by byte.
  std::vector<DirectoryFile> files;
  // Each file's name with ASCII letters folded to lower case, sorted by that
  // name and then by the file's place in `files`: the files one name matches
  // in any case are neighbours, in name order.
  struct FoldedName {
    std::string folded;
    uint32_t file = 0;  // index into `files`
  };
  std::vector<FoldedName> by_folded_name;
  // The names of the files left out because they are among those to
  // exclude, in the order read.
  std::vector<std::string> left_out;
  // The names find_file was asked for that no file matches in any letter
  // case: what a listing names that the directory does not hold.
  int64_t missed = 0;
};

// Reads the directory at `path` in one pass, one status query per entry.
// Subdirectories, FIFOs, devices and sockets are skipped, as are "." and
// "..", an entry that vanished before its status was taken, and a link that
// leads nowhere. The file whose device and inode are `exclude_dev` and
// `exclude_ino` (both 0: none) is left out: the listing itself, when it lies
// in the directory, is not a file it fails to name. False, with `error` one
// line saying why, when the directory cannot be opened or read, or an entry's
// status cannot be taken for another reason than that it is gone.
bool read_file_directory(const std::string& path, FileDirectory& dir, std::string& error,
                         dev_t exclude_dev = 0, ino_t exclude_ino = 0);
// The same, leaving out every file of `exclude` (the listing read, and the
// one being written into the directory).
bool read_file_directory(const std::string& path, FileDirectory& dir, std::string& error,
                         std::span<const FileIdentity> exclude);

enum class FileLookup { Found, Missing, Ambiguous };

// Looks up the name a listing gives: in its exact spelling first, else in
// any letter case (ASCII only); a name written "NAME." with a bare trailing
// dot is then looked up as "NAME", the same two ways. Ambiguous when two or
// more files equal it in some letter case and none is spelled exactly like
// it. Found points `file` at the file and marks it named; otherwise `file`
// is null, and a Missing name is counted in `missed`.
FileLookup find_file(FileDirectory& dir, std::string_view listed, DirectoryFile*& file);

// True when the listed name matches a file as find_file would look it up
// (found or ambiguous); nothing is marked.
bool directory_holds(const FileDirectory& dir, std::string_view listed);

// The files a listed name matches in another letter case, in name order, as
// find_file tries it (the bare-dot spelling when the name as written matches
// none): the candidates to name when find_file says Ambiguous.
std::vector<const DirectoryFile*> files_matching(const FileDirectory& dir, std::string_view listed);

// The files that no find_file named, in name order.
std::vector<const DirectoryFile*> unnamed_files(const FileDirectory& dir);

}  // namespace tolv
