// tolvboard's pieces that need no converter: the DIR.LST and area file
// readings, the case-insensitive listing paths, the names of the bases, the
// summary, the run's stamp and OUTDIR's lock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "support/child.h"
#include "support/fake_os.h"
#include "tolvboard/area_list.h"
#include "tolvboard/base_name.h"
#include "tolvboard/listing_path.h"
#include "tolvboard/outdir_lock.h"
#include "tolvboard/run_stamp.h"
#include "tolvboard/summary.h"

namespace tolv {
namespace {

std::string dir_list_record(const std::string& dir, const std::string& disk,
                            const std::string& text) {
  auto padded = [](std::string s, size_t width) { return s.append(width - s.size(), ' '); };
  return padded(dir, 30) + padded(disk, 30) + padded(text, 35) + '\3';
}

TEST(DirList, FieldsEndAtTheirPaddingANulOrACtrlZ) {
  std::string bytes = dir_list_record("C:\\PCB\\DIR1", "C:\\FILES", "Utilities") +
                      dir_list_record(std::string("C:\\DIR2\0junk\n", 13), "", "Games\x1AGone\r");
  std::string refusal;
  std::vector<Area> areas = parse_dir_list(bytes, refusal);
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(refusal, "");
  EXPECT_EQ(areas[0].number, 1);
  EXPECT_EQ(areas[0].listing_path, "C:\\PCB\\DIR1");
  EXPECT_EQ(areas[0].disk_path, "C:\\FILES");
  EXPECT_EQ(areas[0].description, "Utilities");
  EXPECT_EQ(areas[1].number, 2);
  EXPECT_EQ(areas[1].listing_path, "C:\\DIR2");
  EXPECT_EQ(areas[1].description, "Games");
}

// A text file, a damaged or cut DIR.LST: refused whole, saying where.
TEST(DirList, AnythingButWholeRecordsOfPrintableStringsIsRefused) {
  std::string sound = dir_list_record("C:\\DIR1", "C:\\FILES", "Utilities");
  struct Case {
    std::string bytes;
    std::string refusal;
  } cases[] = {
      {sound + "C:\\SHORT", "its 104 bytes are not a whole number of 96-byte records (8 over)"},
      {sound.substr(0, 95), "(95 over)"},
      {"C:\\DIR1\r\nC:\\DIR2\r\n", "(18 over)"},
      {sound + dir_list_record("C:\\DI\nR2", "", ""),
       "record 2's DirPath (the listing's path) holds a control byte (\\x0A at its byte 6)"},
      {dir_list_record("C:\\DIR1", "C:\\\x1B[2J", ""), "record 1's DskPath"},
      {dir_list_record("C:\\DIR1", "", "Games\x7F"), "record 1's DirDesc"},
      {dir_list_record("C:\\DIR1", "", "\tGames"), "(\\x09 at its byte 1)"},
  };
  for (const Case& c : cases) {
    std::string refusal;
    EXPECT_TRUE(parse_dir_list(c.bytes, refusal).empty());
    EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
  }
}

TEST(AreaFile, OneAreaALineWithoutCommentsOrEmptyLines) {
  std::vector<Area> areas =
      parse_area_file("# the board\n/srv/dir1\tUtilities\r\n\n  \n/srv/dir2\n  # more\nd3\t\n");
  ASSERT_EQ(areas.size(), 3u);
  EXPECT_EQ(areas[0].listing_path, "/srv/dir1");
  EXPECT_EQ(areas[0].description, "Utilities");
  EXPECT_EQ(areas[1].listing_path, "/srv/dir2");
  EXPECT_EQ(areas[1].description, "");
  EXPECT_EQ(areas[2].number, 3);
  EXPECT_FALSE(areas[2].cp437);
}

TEST(ListingPath, DrivesMappedAndComponentsMatchedInAnyCase) {
  test::TempDir dir;
  mkdir((dir / "pcb").c_str(), 0755);
  mkdir((dir / "pcb/Dir").c_str(), 0755);
  test::write_file(dir / "pcb/Dir/dir1", "");
  test::write_file(dir / "pcb/Dir/DIR2", "");
  test::write_file(dir / "pcb/Dir/dir2", "");
  std::vector<DriveMap> maps{{'C', dir.path}, {kRootWithoutDrive, dir.path}};
  struct Case {
    std::string spelled;
    std::string path;  // empty: refused with an error naming `error`
    std::string error;
    bool dos = true;  // a DIR.LST's path, else an area file's
  } cases[] = {
      {"C:\\PCB\\DIR\\DIR1", dir / "pcb/Dir/dir1", ""},
      {"c:/pcb/Dir/dir1", dir / "pcb/Dir/dir1", ""},
      {"C:\\PCB\\DIR\\DIR2", dir / "pcb/Dir/DIR2", ""},  // the exact case wins
      {"C:\\PCB\\DIR\\Dir2", "", "both match 'Dir2'"},
      {"C:\\PCB\\NONE\\DIR1", dir / "pcb/NONE/DIR1", ""},  // kept: tolvconv finds it missing
      {"D:\\PCB\\DIR1", "", "drive D: has no --map"},
      // An area file's path starting with '/' is this system's; with '\\' the board's.
      {dir.path + "\\PCB\\dir\\DIR1", dir / "pcb/Dir/dir1", "", false},
      {"\\PCB\\DIR\\DIR1", dir / "pcb/Dir/dir1", "", false},
      // Rooted without a drive: under the directory mapped to '\\', not '/'.
      {"\\PCB\\DIR\\DIR1", dir / "pcb/Dir/dir1", ""},
      {"/PCB/DIR/DIR1", dir / "pcb/Dir/dir1", ""},
  };
  for (const Case& c : cases) {
    ListingPath got = resolve_listing_path(c.spelled, maps, c.dos);
    EXPECT_EQ(got.resolved, c.error.empty()) << c.spelled;
    EXPECT_EQ(got.path, c.path) << c.spelled;
    EXPECT_NE(got.error.find(c.error), std::string::npos) << c.spelled << ": " << got.error;
  }
  // Without that mapping such a path is refused, saying what to add.
  maps.pop_back();
  for (auto [spelled, dos] :
       {std::pair{"\\PCB\\DIR1", true}, {"/PCB/DIR1", true}, {"\\DIR1", false}}) {
    ListingPath got = resolve_listing_path(spelled, maps, dos);
    EXPECT_FALSE(got.resolved) << spelled;
    EXPECT_EQ(got.error, "a path rooted without a drive has no --map (add --map '\\=DIRECTORY')");
  }
}

TEST(ListingPath, ParentComponentsAreFoundInAnySpelling) {
  for (const char* climbing : {"C:\\PCB\\..\\DIR1", "..\\DIR1", "C:..\\DIR1", "C:\\PCB\\..",
                               "/srv/../dir1", "C:\\PCB/../DIR1", ".."})
    EXPECT_TRUE(has_parent_component(climbing)) << climbing;
  for (const char* staying : {"C:\\PCB\\...\\DIR1", "C:\\PCB\\..DIR1", "C:\\PCB\\DIR..", "C:.", ""})
    EXPECT_FALSE(has_parent_component(staying)) << staying;
}

TEST(DriveMap, ParsesDriveAndDirectoryOnly) {
  DriveMap map;
  EXPECT_TRUE(parse_drive_map("c:=/srv/pcb", map));
  EXPECT_EQ(map.drive, 'C');
  EXPECT_EQ(map.directory, "/srv/pcb");
  EXPECT_TRUE(parse_drive_map("\\=/srv/root", map));
  EXPECT_EQ(map.drive, kRootWithoutDrive);
  EXPECT_EQ(map.directory, "/srv/root");
  for (const char* bad : {"C:", "C:=", "C=/srv", "1:=/srv", "CC:=/srv", "\\=", "\\/srv", "/=/srv"})
    EXPECT_FALSE(parse_drive_map(bad, map)) << bad;
}

TEST(BaseName, StaysInsideTheOutputDirectory) {
  struct Case {
    std::string spelled;
    std::string base;  // empty: refused
  } cases[] = {
      {"C:\\PCB\\DIR\\DIR1", "out/7-DIR1"},
      {"C:DIR1.LST", "out/7-DIR1.LST"},
      {"/srv/pcb/dir1", "out/7-dir1"},
      {"C:\\PCB\\", ""},
      {"C:\\PCB\\..", ""},
      {"C:\\PCB\\.", ""},
      {"C:", ""},
      {"", ""},
      {"C:\\PCB\\DIR\x1B[2J", ""},
  };
  for (const Case& c : cases) {
    AreaBase got = area_base("out//", 7, c.spelled);
    EXPECT_EQ(got.path, c.base) << c.spelled;
    EXPECT_EQ(got.refusal.empty(), !c.base.empty()) << c.spelled;
  }
}

// The table as written for a terminal `columns` wide (0: any width): one
// converted area with a long listing path (an 8-bit CSI in it) and a CP437
// description, in a locale that is not UTF-8, one that failed with a long
// message, then the totals.
std::vector<std::string> table_rows(int columns) {
  test::TempDir dir;
  Area areas[] = {{12, "C:\\PCB", "", "Utilit\xE9s", true},
                  {13, "C:\\GAMES.PCB", "", "Games", true}};
  std::vector<AreaResult> results(2);
  results[0].area = &areas[0];
  results[0].planned = true;
  results[0].listing = "/srv/\x9B" + std::string(60, 'd') + "/dir12";
  results[0].base = "out/12-DIR12";
  results[0].outcome = Outcome::Converted;
  results[1].area = &areas[1];
  results[1].listing = "/srv/games.pcb";
  results[1].base = "out/13-GAMES.PCB";
  results[1].exit = 6;
  results[1].message = "Runtime error 6 at 0x00002A0D" + std::string(60, '.') + "end";
  Output out;
  out.fd = ::open((dir / "table").c_str(), O_WRONLY | O_CREAT, 0644);
  Summary summary;
  summary.out = &out;
  start_summary(summary, results, columns);
  for (const AreaResult& result : results) print_area(summary, result);
  print_totals(summary, results);
  ::close(out.fd);
  std::vector<std::string> rows;
  std::string text = test::read_file(dir / "table");
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    rows.push_back(text.substr(at, end - at));
  return rows;
}

TEST(Summary, OnATerminalRowsFitItsWidthAndPathsKeepTheirEnd) {
  std::vector<std::string> rows = table_rows(80);
  ASSERT_EQ(rows.size(), 6u);
  for (const std::string& row : rows) EXPECT_LE(row.size(), 80u) << row;
  EXPECT_EQ(rows[1].size(), 80u) << rows[1];  // raw bytes: one column each
  // The widest columns give way first; paths keep their end. The base is
  // named as its files are, without the extension tolvconv drops.
  EXPECT_NE(rows[1].find("  Utilit\xE9s    ...d/dir12  ...2-DIR12  "), std::string::npos)
      << rows[1];
  EXPECT_NE(rows[2].find("  ...3-GAMES  "), std::string::npos) << rows[2];
  EXPECT_EQ(rows[2].substr(rows[2].size() - 8), "  failed") << rows[2];
  // Why it failed goes under its row, cut at its end.
  EXPECT_EQ(rows[3], "      exit 6: Runtime error 6 at 0x00002A0D" + std::string(34, '.') + "...");
  EXPECT_EQ(rows[4], "2 areas: 1 converted, 0 exist, 0 missing, 1 failed;");
  EXPECT_EQ(rows[5], "0 records appended, 0 skipped, 0 findings");
  // Not cut, the path shows its control byte escaped, as every control is.
  rows = table_rows(0);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_NE(rows[1].find("/srv/\\x9B" + std::string(60, 'd') + "/dir12  "), std::string::npos)
      << rows[1];
  EXPECT_EQ(rows[3].substr(rows[3].size() - 4), ".end");
  EXPECT_EQ(rows[4],
            "2 areas: 1 converted, 0 exist, 0 missing, 1 failed; 0 records appended, 0 skipped, "
            "0 findings");
}

// The command line as the log and the lock name it: a shell gives back the
// words from it, but for control bytes, which are shown escaped.
TEST(RunStamp, TheCommandLineQuotesWhatAShellWouldSplitOrExpand) {
  EXPECT_EQ(command_text({"tolvboard", "--map", "\\=/srv/pcb", "--map=C:=/srv/my board", "it's", "",
                          "a\nb", "DIR.LST", "out"}),
            "tolvboard --map '\\=/srv/pcb' '--map=C:=/srv/my board' 'it'\\''s' '' 'a\\x0Ab' "
            "DIR.LST out");
  RunStamp run = stamp_this_run({"tolvboard"});
  EXPECT_EQ(run.pid, getpid());
  EXPECT_TRUE(
      std::regex_match(run.started, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d [+-]\d{4})")))
      << run.started;
  const char* zone = getenv("TZ");
  std::string was = zone != nullptr ? zone : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(local_time_text(365 * 86400 + 3723), "1971-01-01 01:02:03 +0000");
  zone != nullptr ? setenv("TZ", was.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST(OutdirLock, OneHolderAtATimeAndTheOtherIsToldWhich) {
  test::TempDir dir;
  OutdirLock first, second;
  std::string error;
  ASSERT_TRUE(take_outdir_lock(first, dir.path, "1, started T: tolvboard a", false, error))
      << error;
  EXPECT_EQ(test::read_file(dir / kLockName), "1, started T: tolvboard a\n");
  EXPECT_FALSE(take_outdir_lock(second, dir.path, "2, started U: tolvboard b", false, error));
  EXPECT_EQ(error, "'" + dir.path + "' is in use by tolvboard run 1, started T: tolvboard a");
  EXPECT_EQ(second.fd, -1);
  release_outdir_lock(first);
  EXPECT_EQ(test::read_file(dir / kLockName), "");  // no stale holder
  ASSERT_TRUE(take_outdir_lock(second, dir.path, "2, started U: tolvboard b", false, error));
  release_outdir_lock(second);

  // A lock file that is a link, or a FIFO, is not used; a lock that
  // cannot be taken is not taken for free.
  ASSERT_EQ(unlink((dir / kLockName).c_str()), 0);
  ASSERT_EQ(symlink("elsewhere", (dir / kLockName).c_str()), 0);
  EXPECT_FALSE(take_outdir_lock(first, dir.path, "1", false, error));
  EXPECT_NE(error.find("is a symbolic link; it is not followed"), std::string::npos) << error;
  EXPECT_FALSE(test::file_exists(dir / "elsewhere"));
  ASSERT_EQ(unlink((dir / kLockName).c_str()), 0);
  ASSERT_EQ(mkfifo((dir / kLockName).c_str(), 0600), 0);
  EXPECT_FALSE(take_outdir_lock(first, dir.path, "1", false, error));
  EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;
  ASSERT_EQ(unlink((dir / kLockName).c_str()), 0);
  test::install_faults({test::Fault{test::nth_call(test::Call::Flock, 1), ENOLCK}});
  EXPECT_FALSE(take_outdir_lock(first, dir.path, "1", false, error));
  test::remove_faults();
  EXPECT_EQ(error, "cannot lock '" + dir.path + "/tolvboard.lock': No locks available");
}

}  // namespace
}  // namespace tolv
