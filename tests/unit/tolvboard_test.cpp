// tolvboard's pieces that need no converter: the DIR.LST and area file
// readings, the case-insensitive listing paths, the names of the bases, the
// summary, the run's stamp and OUTDIR's lock.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <string>

#include "support/child.h"
#include "support/fake_os.h"
#include "tolvboard/area_list.h"
#include "tolvboard/base_name.h"
#include "tolvboard/board_check.h"
#include "tolvboard/converter.h"
#include "tolvboard/journal.h"
#include "tolvboard/journal_frame.h"
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

// A text file, a cut or damaged DIR.LST: refused whole, saying where.
TEST(DirList, AnythingButWholeRecordsOfPrintableStringsIsRefused) {
  std::string sound = dir_list_record("C:\\DIR1", "C:\\FILES", "Utilities");
  for (auto [bytes, why] :
       {std::pair{sound + "C:\\SHORT", "its 104 bytes are not a whole number of 96-byte records"},
        {sound + dir_list_record("C:\\DIR1", "C:\\\x1B[2J", ""),
         "record 2's DskPath (where the files lie) holds a control byte (\\x1B at its byte 4)"}}) {
    std::string refusal;
    EXPECT_TRUE(parse_dir_list(bytes, refusal).empty());
    EXPECT_NE(refusal.find(why), std::string::npos) << refusal;
  }
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
      {dir.path + "\\PCB\\dir\\DIR1", dir / "pcb/Dir/dir1", "", false},  // this system's
      {"\\PCB\\DIR\\DIR1", dir / "pcb/Dir/dir1", "", false},             // rooted, no drive: mapped
      {"/PCB/DIR/DIR1", dir / "pcb/Dir/dir1", ""},  // so in a DIR.LST with either slash
  };
  for (const Case& c : cases) {
    ListingPath got = resolve_listing_path(c.spelled, maps, c.dos);
    EXPECT_EQ(got.resolved, c.error.empty()) << c.spelled;
    EXPECT_EQ(got.path, c.path) << c.spelled;
    EXPECT_NE(got.error.find(c.error), std::string::npos) << c.spelled << ": " << got.error;
  }
  maps.pop_back();  // then, unmapped, never under '/'
  for (const char* spelled : {"\\PCB\\DIR1", "/PCB/DIR1"})
    EXPECT_EQ(resolve_listing_path(spelled, maps, true).error,
              "a path rooted without a drive has no --map (add --map '\\=DIRECTORY')");
}

TEST(DriveMap, ParsesDriveAndDirectoryOnly) {
  DriveMap map;
  EXPECT_TRUE(parse_drive_map("c:=/srv/pcb", map));
  EXPECT_EQ(map.drive, 'C');
  EXPECT_EQ(map.directory, "/srv/pcb");
  EXPECT_TRUE(parse_drive_map("\\=/srv/root", map) && map.drive == kRootWithoutDrive);
  for (const char* bad : {"C:", "C:=", "C=/srv", "1:=/srv", "CC:=/srv", "\\=", "\\/srv", "/=/srv"})
    EXPECT_FALSE(parse_drive_map(bad, map)) << bad;
}

// The drives the areas need a --map for, named before the first area:
// a listing's or a DskPath's, a DIR.LST's '/' as its '\\'; an area file's
// '/' is this system's own.
TEST(DriveMap, TheDrivesAreasNeedWithoutAMapAreNamedInOneLine) {
  std::vector<Area> areas{
      {1, "C:\\PCB\\DIR1", "D:\\FILES", "", true}, {2, "c:\\PCB\\DIR2", "", "", true},
      {3, "C:\\PCB\\DIR3", "d:\\UP", "", true},    {4, "/PCB/DIR4", "D:\\UP", "", true},
      {5, "/srv/dir5", "\\FILES", "", false},      {6, "/srv/dir6", "files", "", false}};
  std::vector<DriveMap> maps{{'C', "/srv/pcb"}};
  EXPECT_EQ(unmapped_drives(areas, maps),
            "no --map for drive D: (areas 1, 3-4), paths rooted without a drive (areas 4-5); add "
            "--map D:=DIRECTORY and --map '\\=DIRECTORY' for their areas");
  maps.push_back({'D', "/srv/d"});
  maps.push_back({kRootWithoutDrive, "/srv/root"});
  EXPECT_EQ(unmapped_drives(areas, maps), "");
}

TEST(BaseName, AfterTheListingUniqueWhateverTheOrder) {
  struct Case {
    std::string spelled, found;
    std::string name;  // empty: refused
  } cases[] = {
      {"C:\\PCB\\DIR\\DIR1", "/b/pcb/dir/dir1", "DIR1"},
      {"C:DIR2.LST", "/b/dir2.lst", "DIR2.LST"},
      {"C:\\FILES\\NEW\\FILES.BBS", "/b/files/new/FILES.BBS",
       "NEW"},  // a shared name: its directory's
      {"C:\\UP.LD\\descript.ion", "/b/up.ld/descript.ion", "UP_LD"},
      // One name from two listings: each takes directories until they differ.
      {"C:\\PCB\\GAMES", "/b/pcb/games", "PCB-GAMES"},
      {"C:\\OLD\\games.txt", "/b/old/games.txt", "OLD-games.txt"},
      // Alike in every spelled directory: the found path's check digits.
      {"SAME", "/b/one/SAME", ""},
      {"SAME", "/b/two/SAME", ""},
      {"C:\\PCB\\DIR\\dir1", "/b/pcb/dir/dir1", "dir1"},  // one listing: no clash
      {"C:\\PCB\\", "", ""},
      {"C:\\PCB\\..", "", ""},
      {"C:\\PCB\\DIR\x1B[2J", "", ""},
  };
  std::vector<BaseSource> sources;
  for (const Case& c : cases) sources.push_back({c.spelled, c.found});
  std::vector<AreaBase> names = name_bases(sources);
  ASSERT_EQ(names.size(), std::size(cases));
  for (size_t i = 0; i < names.size(); ++i) {
    const Case& c = cases[i];
    if (c.spelled == "SAME") {
      EXPECT_TRUE(std::regex_match(names[i].name, std::regex("SAME-[0-9A-F]{8}"))) << names[i].name;
      continue;
    }
    EXPECT_EQ(names[i].name, c.name) << c.spelled;
    EXPECT_EQ(names[i].refusal.empty(), !c.name.empty()) << c.spelled;
  }
  EXPECT_NE(names[6].name, names[7].name);
  // The same names in the other order, and without the area that shared
  // one with another: no other area's name moves.
  std::vector<BaseSource> reversed(sources.rbegin(), sources.rend());
  std::vector<AreaBase> again = name_bases(reversed);
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(again[names.size() - 1 - i].name, names[i].name) << cases[i].spelled;
  sources.erase(sources.begin() + 1);
  names.erase(names.begin() + 1);
  again = name_bases(sources);
  for (size_t i = 0; i < names.size(); ++i)
    if (sources[i].spelled != "SAME") {
      EXPECT_EQ(again[i].name, names[i].name) << sources[i].spelled;
    }
  EXPECT_EQ(base_path("out//", "DIR1"), "out/DIR1");

  std::vector<std::string> sorted = {"dir10", "DIR2", "dir1", "a", "DIR02b", "dir2a"};
  std::sort(sorted.begin(), sorted.end(), natural_less);
  EXPECT_EQ(sorted, (std::vector<std::string>{"a", "dir1", "DIR2", "dir2a", "DIR02b", "dir10"}));
}

// A run's three records, framed after the journal's mark.
std::string three_records() {
  BaseFiles before;
  before.records = {true, 240, 8, 80, 5};
  before.descriptions = {true, 100, 8, 81, 6};
  BaseFiles after = before;
  after.records.size = 480;
  return std::string(kJournalMark) + encode(RunRecord{1, 1700000000, 42, 8, 7, "tolvboard x"}) +
         encode(IntentRecord{1, 3, "DIR1", "/srv/dir1", "C:\\DIR1", before}) +
         encode(OutcomeRecord{1, 3, Ending::Converted, 0, 2, false, after});
}

TEST(JournalFrame, WholeRecordsBeforeATornTailAndAChangedByteRefused) {
  std::string whole = three_records();
  JournalContents journal;
  std::string error;
  ASSERT_TRUE(read_journal(whole, journal, error)) << error;
  ASSERT_EQ(journal.areas.size(), 1u);
  const JournalArea& area = journal.areas[0];
  EXPECT_EQ(journal.runs[0].record.command, "tolvboard x");
  EXPECT_EQ(area.intent.listing, "/srv/dir1");
  EXPECT_EQ(area.intent.before.descriptions.inode, 81u);
  EXPECT_TRUE(area.has_outcome);
  EXPECT_EQ(area.outcome.after.records.size, 480);
  EXPECT_EQ(journal.last["DIR1"].word, LastWord::After);
  std::vector<size_t> ends;
  for (const Frame& f : scan_frames(whole).frames)
    ends.push_back(static_cast<size_t>(f.offset) + kFrameHeader + f.payload.size());
  // Cut anywhere (a full disk, a crash), or followed by zeros: the whole
  // records before the cut are read, the rest is a torn tail.
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    FrameScan scan = scan_frames(whole.substr(0, cut));
    size_t frames = static_cast<size_t>(
        std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= cut; }));
    EXPECT_EQ(scan.damage, "") << cut;
    EXPECT_EQ(scan.frames.size(), frames) << cut;
    EXPECT_EQ(scan.torn, cut != 0 && cut != whole.size() && cut != kJournalMark.size() &&
                             std::find(ends.begin(), ends.end(), cut) == ends.end())
        << cut;
  }
  FrameScan zeros = scan_frames(whole + std::string(300, '\0'));
  EXPECT_TRUE(zeros.torn && zeros.damage.empty() && zeros.frames.size() == 3);
  // A byte changed anywhere in a whole record, a length no record has, or
  // what is no journal: refused, never read on.
  for (size_t at = kJournalMark.size(); at < ends[1]; at += 7) {
    std::string bytes = whole;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    EXPECT_NE(scan_frames(bytes).damage, "") << at;
  }
  std::string long_one = whole;
  long_one[ends[0] + 6] = 0x7F;
  EXPECT_NE(scan_frames(long_one).damage.find("more than a record holds"), std::string::npos);
  EXPECT_EQ(scan_frames("{\"kind\": \"run\"}\n").damage, "it does not start with TOLVJNL1");

  // Whole records out of their place: refused.
  BaseFiles none;
  struct Case {
    std::string bytes, why;
  } cases[] = {
      {std::string(kJournalMark) +
           encode(OutcomeRecord{1, 3, Ending::Converted, 0, 0, false, none}),
       "an outcome of no intent"},
      {std::string(kJournalMark) + encode(RunRecord{2, 0, 0, 0, 0, ""}), "not run 1"},
      {whole + encode(IntentRecord{1, 3, "DIR1", "", "", none}), "a second intent"},
      {whole + encode(UndoneRecord{1, 3, none}), "whose undo no record starts"},
      {std::string(kJournalMark) + frame_record(9, "x"), "unknown type 9"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(read_journal(c.bytes, journal, error)) << c.why;
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
  }
}

// What tolvconv says it appended, read from its console output only where
// that output is whole.
TEST(Converter, TheCountComesFromAWholeOutputOnly) {
  struct Case {
    std::string output;
    int64_t counted, least;
  } cases[] = {
      {"\nTOLVCONV\nProcessing: 1 files ... 2 files ... 6 files ... DONE.\n", 6, 6},
      {"Processing: DONE.\n", 0, 0},
      {"Processing: 1 files ... 12 files ... \nRuntime error 101 at 0x00002AC8\n", 12, 11},
      {"Processing: \nRuntime error 6 at 0x00002AC8\n", 0, 0},
      {"Processing: 1 files ... 2 fi", -1, -1},          // a log on a full disk
      {"Processing: 1 files ... 2 files ... ", -1, -1},  // ended by a signal
      {"fake: /dev/stdin out/dir1\n", -1, -1},
  };
  for (const Case& c : cases) {
    ConverterRun run;
    read_converted_count(c.output, run);
    EXPECT_EQ(run.counted, c.counted) << c.output;
    EXPECT_EQ(run.counted_least, c.least) << c.output;
  }
}

// The table as written for `columns` (0: any width), in a locale that is
// not UTF-8: area 2 converted from a long listing path (an 8-bit CSI in
// it) with a CP437 description and its files checked, area 9 a listing of
// the same name elsewhere (the two bases named apart at their start), area
// 13 failed with a run-time error, area 14 missing with a long message;
// then the totals.
std::vector<std::string> table_rows(int columns) {
  test::TempDir dir;
  Area areas[] = {{2, "C:\\UP\\FILES.BBS", "", "Utilit\xE9s", true},
                  {9, "C:\\OLD\\UP\\FILES.BBS", "", "Old uploads", true},
                  {13, "C:\\GAMES.PCB", "", "Games", true},
                  {14, "C:\\DIR14", "", "Gone", true}};
  std::vector<AreaResult> results(std::size(areas));
  for (size_t i = 0; i < results.size(); ++i) {
    results[i].area = &areas[i];
    results[i].planned = true;
    results[i].outcome = Outcome::Converted;
  }
  results[0].listing = "/srv/\x9B" + std::string(60, 'd') + "/up/FILES.BBS";
  results[0].base = "out/PCB-UPLOADS";
  results[0].files = {true, "/srv/files/up", 215, 0, 3, 215, {}};
  results[1].listing = "/srv/old/up/FILES.BBS";
  results[1].base = "out/OLD-UPLOADS";
  results[1].files = {true, "/srv/files/old", 0, 1, 0, 0, {}};
  results[2].listing = "/srv/GAMES.PCB";
  results[2].base = "out/GAMES";
  results[2].outcome = Outcome::Failed;
  results[2].exit = 101;
  results[2].message = "Runtime error 101 at 0x00002A58";
  results[3].listing = "/srv/" + std::string(40, 'n') + "/DIR14";
  results[3].base = "out/DIR14";
  results[3].outcome = Outcome::Missing;
  results[3].message = "cannot open '" + results[3].listing + "': No such file or directory";
  Output out;
  out.fd = ::open((dir / "table").c_str(), O_WRONLY | O_CREAT, 0644);
  Summary summary;
  summary.out = &out;
  summary.as_is = true;  // no normalizer's totals
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

// The text of the lines under the row that starts with `head`, blanks
// taken out: what a wrapped line shows, wherever it was broken.
std::string under_row(const std::vector<std::string>& rows, const std::string& head) {
  auto row = std::find_if(rows.begin(), rows.end(),
                          [&](const std::string& r) { return r.starts_with(head); });
  std::string text;
  for (auto it = row == rows.end() ? row : row + 1; it != rows.end() && it->starts_with("      ");
       ++it)
    text += *it;
  std::erase(text, ' ');
  return text;
}

TEST(Summary, AtEveryWidthLinesFitAreasAreToldApartAndNoReasonIsCut) {
  for (int columns : {60, 80, 132}) {
    std::vector<std::string> rows = table_rows(columns);
    for (const std::string& row : rows) EXPECT_LE(row.size(), size_t(columns)) << row;
    // Each area's number whole; areas 2 and 9 (listings of one name) by
    // their bases, kept apart at their start, in the row or under it.
    for (auto [head, base] : {std::pair{"   2  Utilit", "PCB"}, {"   9  Old", "OLD"}}) {
      auto row = std::find_if(rows.begin(), rows.end(),
                              [&](const std::string& r) { return r.starts_with(head); });
      ASSERT_NE(row, rows.end()) << columns << ": " << head;
      EXPECT_NE((*row + row[1]).find(base), std::string::npos) << columns << ": " << *row;
    }
    std::string gone =
        "cannot open '/srv/" + std::string(40, 'n') + "/DIR14': No such file or directory";
    std::erase(gone, ' ');
    EXPECT_NE(under_row(rows, "  14  Gone").find(gone), std::string::npos) << columns;
    EXPECT_NE(std::find(rows.begin(), rows.end(), "      exit 101: a write failed (a full disk?)"),
              rows.end())
        << columns;
    EXPECT_NE(under_row(rows, "   2  Utilit")
                  .find("files:215listedfilesarenotin'/srv/files/up',0sizesdiffer,3orphans"),
              std::string::npos)
        << columns;
  }
  // Under 74 columns the listing and base go under the row, each cut
  // keeping its end; at 80 they keep a column each, the listing keeping its
  // end, the base the start and end of its name.
  std::vector<std::string> rows = table_rows(60);
  EXPECT_EQ(rows[0], "area  description  appended  skipped  findings  outcome");
  EXPECT_EQ(rows[2], "      ...ddddddddddddddddddd/up/FILES.BBS -> out/PCB-UPLOADS");
  rows = table_rows(80);
  EXPECT_EQ(rows[1],
            "   2  Utilit\xE9s    ...LES.BBS  PCB...OADS         0        0         -  converted");
  EXPECT_EQ(rows.back(), "files of 2 areas: 215 listed files missing, 1 size differs, 3 orphans");
  // Not cut, the path shows its control byte escaped, as every control is.
  rows = table_rows(0);
  EXPECT_NE(rows[1].find("/srv/\\x9B" + std::string(60, 'd') + "/up/FILES.BBS  "),
            std::string::npos)
      << rows[1];
}

// The command line as the log and the lock name it: a shell gives back the
// words from it, but for control bytes, which are shown escaped.
TEST(RunStamp, TheCommandLineQuotesWhatAShellWouldSplitOrExpand) {
  EXPECT_EQ(command_text({"tolvboard", "--map", "\\=/srv/pcb", "C:=/my board", "it's", "", "a\nb"}),
            "tolvboard --map '\\=/srv/pcb' 'C:=/my board' 'it'\\''s' '' 'a\\x0Ab'");
}

TEST(OutdirLock, OneHolderAtATimeAndTheOtherIsToldWhich) {
  test::TempDir dir;
  OutdirLock first, second;
  KeptFiles kept;
  std::string error;
  ASSERT_TRUE(take_outdir_lock(first, dir.path, "1, started T: tolvboard a", false, kept, error));
  EXPECT_EQ(test::read_file(dir / kLockName), "1, started T: tolvboard a\n");
  EXPECT_FALSE(take_outdir_lock(second, dir.path, "2, started U: tolvboard b", false, kept, error));
  EXPECT_EQ(error, "'" + dir.path + "/tolvboard.lock' is '" + dir.path +
                       "/tolvboard.lock', an output already open; it is left as it is");
  KeptFiles others;
  EXPECT_FALSE(
      take_outdir_lock(second, dir.path, "2, started U: tolvboard b", false, others, error));
  EXPECT_EQ(error, "'" + dir.path + "' is in use by tolvboard run 1, started T: tolvboard a");
  release_outdir_lock(first, kept);
  EXPECT_EQ(test::read_file(dir / kLockName), "");  // no stale holder
  ASSERT_TRUE(take_outdir_lock(second, dir.path, "2, started U: tolvboard b", false, kept, error));
  release_outdir_lock(second, kept);
  // A lock that cannot be taken is not taken for free; a full disk still
  // lets the lock be taken, without its line; a link is not followed.
  test::install_faults({test::Fault{test::nth_call(test::Call::Flock, 1), ENOLCK}});
  EXPECT_FALSE(take_outdir_lock(first, dir.path, "1", false, kept, error));
  test::remove_faults();
  EXPECT_EQ(error, "cannot lock '" + dir.path +
                       "/tolvboard.lock': No locks available (its file system cannot lock); "
                       "nothing is written without the lock");
  test::install_faults({test::Fault{test::every_call(test::Call::Pwrite), ENOSPC, -1, false}});
  EXPECT_TRUE(take_outdir_lock(first, dir.path, "1", false, kept, error));
  test::remove_faults();
  release_outdir_lock(first, kept);
  ASSERT_EQ(unlink((dir / kLockName).c_str()), 0);
  ASSERT_EQ(symlink("elsewhere", (dir / kLockName).c_str()), 0);
  EXPECT_FALSE(take_outdir_lock(first, dir.path, "1", false, kept, error));
  EXPECT_FALSE(test::file_exists(dir / "elsewhere")) << error;
}

}  // namespace
}  // namespace tolv
