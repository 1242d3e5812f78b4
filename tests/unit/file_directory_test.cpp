// The directory a listing's files are in: what is read from it, how a listed
// name finds its file, and how a directory that cannot be read is refused.
#include "companion/file_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/child.h"
#include "support/fake_os.h"

namespace tolv {
namespace {

using test::TempDir;
using test::write_file;

// Fourteen hours east of UTC while it lives: a local noon is the day before
// in UTC, so a date taken in UTC shows.
struct FarEastZone {
  std::string old;
  bool had = false;
  FarEastZone() {
    if (const char* tz = getenv("TZ")) old = tz, had = true;
    setenv("TZ", "XST-14", 1);
    tzset();
  }
  ~FarEastZone() {
    had ? setenv("TZ", old.c_str(), 1) : unsetenv("TZ");
    tzset();
  }
};

// Two names differing only in case, a name without an extension, the
// listing, and what is not a regular file: a subdirectory, a FIFO, a link to
// it, a link to nowhere; "link.zip" leads to "Prog.ZIP", modified at noon on
// 3 February 2001 local time.
struct Sample {
  TempDir dir;
  struct stat listing {};
  Sample() {
    write_file(dir / "README.TXT", "upper");
    write_file(dir / "readme.txt", "low");
    write_file(dir / "Prog.ZIP", "1234567");
    write_file(dir / "NOEXT", "x");
    write_file(dir / "listing.lst", "NOEXT  1  01-01-01  x\n");
    stat((dir / "listing.lst").c_str(), &listing);
    EXPECT_EQ(mkdir((dir / "SUB").c_str(), 0755), 0);
    EXPECT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    EXPECT_EQ(symlink("Prog.ZIP", (dir / "link.zip").c_str()), 0);
    EXPECT_EQ(symlink("gone", (dir / "dead").c_str()), 0);
    EXPECT_EQ(symlink("SUB", (dir / "subl").c_str()), 0);
    struct tm noon {};
    noon.tm_year = 101, noon.tm_mon = 1, noon.tm_mday = 3, noon.tm_hour = 12, noon.tm_isdst = -1;
    struct utimbuf times = {mktime(&noon), mktime(&noon)};
    utime((dir / "Prog.ZIP").c_str(), &times);
  }
  FileDirectory read() {
    FileDirectory files;
    std::string error;
    EXPECT_TRUE(read_file_directory(dir.path, files, error, listing.st_dev, listing.st_ino))
        << error;
    return files;
  }
};

std::vector<std::string> names(const std::vector<const DirectoryFile*>& files) {
  std::vector<std::string> out;
  for (const DirectoryFile* file : files) out.push_back(file->name);
  return out;
}

TEST(FileDirectory, RegularFilesInNameOrderWithSizesAndLocalDates) {
  FarEastZone zone;
  Sample sample;
  test::install_faults({});
  FileDirectory dir = sample.read();
  int stats = test::calls_made(test::Call::Stat), reads = test::calls_made(test::Call::Readdir);
  test::remove_faults();
  EXPECT_EQ(stats, 10);  // one for each entry but "." and ".."
  EXPECT_EQ(reads, 13);
  std::vector<std::string> expected = {"NOEXT", "Prog.ZIP", "README.TXT", "link.zip", "readme.txt"};
  EXPECT_EQ(names(unnamed_files(dir)), expected);
  ASSERT_EQ(dir.files.size(), 5u);
  EXPECT_EQ(dir.files[2].size, 5);
  for (const DirectoryFile& file : {dir.files[1], dir.files[3]}) {
    EXPECT_EQ(file.size, 7) << file.name;
    EXPECT_EQ(file.year * 10000 + file.month * 100 + file.day, 20010203u) << file.name;
  }
  EXPECT_EQ(dir.left_out, std::vector<std::string>{"listing.lst"});
  // Every file to exclude is left out and named, whatever name reaches it.
  struct stat prog {};
  stat((sample.dir / "Prog.ZIP").c_str(), &prog);
  FileIdentity own[] = {{sample.listing.st_dev, sample.listing.st_ino}, {prog.st_dev, prog.st_ino}};
  std::string error;
  ASSERT_TRUE(read_file_directory(sample.dir.path, dir, error, own)) << error;
  EXPECT_EQ(names(unnamed_files(dir)),
            (std::vector<std::string>{"NOEXT", "README.TXT", "readme.txt"}));
  EXPECT_EQ(dir.left_out, (std::vector<std::string>{"Prog.ZIP", "link.zip", "listing.lst"}));
}

TEST(FileDirectory, ListedNamesFoundExactlyThenInAnyCaseThenWithoutABareDot) {
  Sample sample;
  FileDirectory dir = sample.read();
  DirectoryFile* file = &dir.files[0];
  EXPECT_EQ(find_file(dir, "Readme.Txt", file), FileLookup::Ambiguous);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(names(files_matching(dir, "Readme.Txt")),
            (std::vector<std::string>{"README.TXT", "readme.txt"}));
  EXPECT_EQ(unnamed_files(dir).size(), 5u);  // an ambiguous name names none
  struct Case {
    const char* listed;
    FileLookup lookup;
    const char* found;
  };
  const Case cases[] = {
      {"README.TXT", FileLookup::Found, "README.TXT"},
      {"readme.txt", FileLookup::Found, "readme.txt"},
      {"prog.zip", FileLookup::Found, "Prog.ZIP"},
      {"noext.", FileLookup::Found, "NOEXT"},
      {"NOEXT.", FileLookup::Found, "NOEXT"},
      {"NOEXT..", FileLookup::Missing, ""},
      {"README.TXT.", FileLookup::Found, "README.TXT"},
      {"readme.TXT.", FileLookup::Ambiguous, ""},
      {"SUB", FileLookup::Missing, ""},
      {"pipe", FileLookup::Missing, ""},
      {"subl", FileLookup::Missing, ""},
      {"dead", FileLookup::Missing, ""},
      {"listing.lst", FileLookup::Missing, ""},
      {"..", FileLookup::Missing, ""},
      {".", FileLookup::Missing, ""},
      {"", FileLookup::Missing, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(find_file(dir, c.listed, file), c.lookup) << c.listed;
    EXPECT_EQ(file ? file->name : "", c.found) << c.listed;
  }
  EXPECT_EQ(names(unnamed_files(dir)), std::vector<std::string>{"link.zip"});
  // Only the names matching nothing are counted missed, not the ambiguous.
  EXPECT_EQ(dir.missed, 9);
}

TEST(FileDirectory, UnreadableDirectoriesAndEntriesAreRefusedWithTheirCause) {
  TempDir dir;
  for (const char* name : {"a", "b", "c"}) write_file(dir / name, name);
  auto stat_of_b = [](const test::CallInfo& call) {
    return call.kind == test::Call::Stat && std::string(call.path).ends_with("/b");
  };
  using When = std::function<bool(const test::CallInfo&)>;
  struct Case {
    const char* what;
    std::string path;
    When when;  // the call that fails with `number`
    int number;
    std::string error;  // empty: read, with files a and c
  };
  const std::vector<Case> cases = {
      {"missing", dir.path, test::nth_call(test::Call::Opendir, 1), ENOENT,
       "cannot read directory '" + dir.path + "': No such file or directory"},
      {"refused", dir.path, test::nth_call(test::Call::Opendir, 1), EACCES,
       "cannot read directory '" + dir.path + "': Permission denied"},
      {"a file", dir / "a", nullptr, 0, "'" + dir / "a" + "' is not a directory"},
      {"read fails midway", dir.path, test::nth_call(test::Call::Readdir, 4), EIO,
       "cannot read directory '" + dir.path + "': Input/output error"},
      {"status fails", dir.path + "/", stat_of_b, EIO,
       "cannot examine '" + dir / "b" + "': Input/output error"},
      {"entry vanished", dir.path, stat_of_b, ENOENT, ""},
  };
  for (const Case& c : cases) {
    test::install_faults({test::Fault{c.when, c.number}});
    FileDirectory files;
    files.files.resize(1);
    std::string error;
    bool read = read_file_directory(c.path, files, error);
    test::remove_faults();
    EXPECT_EQ(read, c.error.empty()) << c.what;
    EXPECT_EQ(error, c.error) << c.what;
    std::vector<std::string> expected;
    if (read) expected = {"a", "c"};
    EXPECT_EQ(names(unnamed_files(files)), expected) << c.what;
  }
}

}  // namespace
}  // namespace tolv
