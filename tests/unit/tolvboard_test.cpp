// tolvboard's pieces that need no converter: the DIR.LST and area file
// readings, the case-insensitive listing paths and the names of the bases.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/child.h"
#include "tolvboard/area_list.h"
#include "tolvboard/base_name.h"
#include "tolvboard/listing_path.h"
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
                      dir_list_record(std::string("C:\\DIR2\0junk", 12), "", "Games\x1AGone") +
                      "short";
  size_t short_tail = 0;
  std::vector<Area> areas = parse_dir_list(bytes, short_tail);
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(short_tail, 5u);
  EXPECT_EQ(areas[0].number, 1);
  EXPECT_EQ(areas[0].listing_path, "C:\\PCB\\DIR1");
  EXPECT_EQ(areas[0].disk_path, "C:\\FILES");
  EXPECT_EQ(areas[0].description, "Utilities");
  EXPECT_EQ(areas[1].number, 2);
  EXPECT_EQ(areas[1].listing_path, "C:\\DIR2");
  EXPECT_EQ(areas[1].description, "Games");
}

TEST(AreaFile, OneAreaALineWithoutCommentsOrEmptyLines) {
  int64_t bad_line = -1;
  std::vector<Area> areas = parse_area_file(
      "# the board\n/srv/dir1\tUtilities\r\n\n  \n/srv/dir2\n  # more\nd3\t\n"
      "d4\t Games \t /srv/games \t\r\n\t\tfiles\n",
      bad_line);
  EXPECT_EQ(bad_line, 0);
  ASSERT_EQ(areas.size(), 5u);
  EXPECT_EQ(areas[0].listing_path, "/srv/dir1");
  EXPECT_EQ(areas[0].description, "Utilities");
  EXPECT_EQ(areas[0].disk_path, "");
  EXPECT_EQ(areas[1].listing_path, "/srv/dir2");
  EXPECT_EQ(areas[1].description, "");
  EXPECT_EQ(areas[2].number, 3);
  EXPECT_FALSE(areas[2].cp437);
  // The third field is where the files lie; a TAB that ends the line adds none.
  EXPECT_EQ(areas[3].description, "Games");
  EXPECT_EQ(areas[3].disk_path, "/srv/games");
  EXPECT_EQ(areas[4].listing_path, "");
  EXPECT_EQ(areas[4].disk_path, "files");

  // A fourth field refuses the whole file, naming the line (comments count).
  for (auto [text, line] : {std::pair{"a\n# b\nc\td\te\tf\n", 3}, {"a\tb\t\t\n\t\t\tz", 2}}) {
    areas = parse_area_file(text, bad_line);
    EXPECT_EQ(bad_line, line) << text;
    EXPECT_TRUE(areas.empty()) << text;
  }
}

TEST(ListingPath, DrivesMappedAndComponentsMatchedInAnyCase) {
  test::TempDir dir;
  mkdir((dir / "pcb").c_str(), 0755);
  mkdir((dir / "pcb/Dir").c_str(), 0755);
  test::write_file(dir / "pcb/Dir/dir1", "");
  test::write_file(dir / "pcb/Dir/DIR2", "");
  test::write_file(dir / "pcb/Dir/dir2", "");
  std::vector<DriveMap> maps{{'C', dir.path}};
  struct Case {
    std::string spelled;
    std::string path;  // empty: refused with an error naming `error`
    std::string error;
  } cases[] = {
      {"C:\\PCB\\DIR\\DIR1", dir / "pcb/Dir/dir1", ""},
      {"c:/pcb/Dir/dir1", dir / "pcb/Dir/dir1", ""},
      {"C:\\PCB\\DIR\\DIR2", dir / "pcb/Dir/DIR2", ""},  // the exact case wins
      {"C:\\PCB\\DIR\\Dir2", "", "both match 'Dir2'"},
      {"C:\\PCB\\NONE\\DIR1", dir / "pcb/NONE/DIR1", ""},  // kept: tolvconv finds it missing
      {"D:\\PCB\\DIR1", "", "drive D: has no --map"},
      {dir.path + "\\PCB\\dir\\DIR1", dir / "pcb/Dir/dir1", ""},  // no drive: this system's path
  };
  for (const Case& c : cases) {
    ListingPath got = resolve_listing_path(c.spelled, maps);
    EXPECT_EQ(got.resolved, c.error.empty()) << c.spelled;
    EXPECT_EQ(got.path, c.path) << c.spelled;
    EXPECT_NE(got.error.find(c.error), std::string::npos) << c.spelled << ": " << got.error;
  }
}

TEST(DriveMap, ParsesDriveAndDirectoryOnly) {
  DriveMap map;
  EXPECT_TRUE(parse_drive_map("c:=/srv/pcb", map));
  EXPECT_EQ(map.drive, 'C');
  EXPECT_EQ(map.directory, "/srv/pcb");
  for (const char* bad : {"C:", "C:=", "C=/srv", "1:=/srv", "CC:=/srv"})
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

// The table as written for a terminal `columns` wide (0: not a terminal),
// one converted area with a long listing path (an 8-bit CSI in it) and a
// CP437 description, in a locale that is not UTF-8.
std::vector<std::string> table_rows(int columns) {
  test::TempDir dir;
  Area area{12, "C:\\PCB", "", "Utilit\xE9s", true};
  AreaResult result;
  result.area = &area;
  result.planned = true;
  result.listing = "/srv/\x9B" + std::string(60, 'd') + "/dir12";
  result.base = "out/12-DIR12";
  result.outcome = Outcome::Converted;
  Output out;
  out.fd = ::open((dir / "table").c_str(), O_WRONLY | O_CREAT, 0644);
  Summary summary;
  summary.out = &out;
  start_summary(summary, {result}, columns);
  print_area(summary, result);
  ::close(out.fd);
  std::vector<std::string> rows;
  std::string text = test::read_file(dir / "table");
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
    rows.push_back(text.substr(at, end - at));
  return rows;
}

TEST(Summary, OnATerminalRowsFitItsWidthAndPathsKeepTheirEnd) {
  std::vector<std::string> rows = table_rows(80);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_LE(rows[0].size(), 80u) << rows[0];
  EXPECT_EQ(rows[1].size(), 80u) << rows[1];  // raw bytes: one column each
  // The widest columns give way first; paths keep their end.
  EXPECT_NE(rows[1].find("  Utilit\xE9s    ...d/dir12  ...2-DIR12  "), std::string::npos)
      << rows[1];
  // Not cut, the path shows its control byte escaped, as every control is.
  rows = table_rows(0);
  EXPECT_NE(rows[1].find("/srv/\\x9B" + std::string(60, 'd') + "/dir12  "), std::string::npos)
      << rows[1];
}

}  // namespace
}  // namespace tolv
