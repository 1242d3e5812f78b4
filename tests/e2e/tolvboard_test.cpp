// The built tolvboard over a small synthetic board: a DIR.LST whose DOS
// paths spell the listings in another letter case than the disk, an area
// whose listing is missing, one whose base cannot be written, one on an
// unmapped drive. The bases must be those tolvconv makes when run by hand,
// never doubled nor written through a link. No tolvconv is on PATH:
// tolvboard runs the one beside it, or the one --converter names.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <utime.h>

#include <functional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "e2e/programs.h"
#include "support/archives.h"
#include "support/child.h"
#include "support/listing_text.h"
#include "tolv_version.h"
#include "tolvboard/command.h"

namespace tolv::test {
namespace {

// Runs tolvboard in `dir`, which is all of PATH and holds no tolvconv.
Outcome tolvboard(const TempDir& dir, const std::vector<std::string>& args) {
  std::vector<std::string> argv = program_argv(TOLVBOARD_BINARY, args);
  return run_in_child(
      [&] {
        setenv("PATH", dir.path.c_str(), 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        if (chdir(dir.path.c_str()) != 0) _exit(253);
        exec_argv(argv);
      },
      "", true);
}

std::string dir_list_record(const std::string& listing, const std::string& text,
                            const std::string& files = "C:\\FILES") {
  auto padded = [](std::string s, size_t width) { return s.append(width - s.size(), ' '); };
  return padded(listing, 30) + padded(files, 30) + padded(text, 35) + '\0';
}

// Waits up to 30 s for `done` to hold.
bool eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 1500 && !done(); ++i) usleep(20000);
  return done();
}

// Drive C: is dir/c. Area 1 is the bundled sample, area 2 a listing of two
// files whose base is in the way (its record file a directory) until
// `blocked` is false, area 3 is missing, area 4 lies on drive D:.
struct Board {
  TempDir dir;
  explicit Board(bool blocked = true) {
    for (const char* sub : {"c", "c/pcb", "c/pcb/Dir", "c/Files", "out"})
      mkdir((dir / sub).c_str(), 0755);
    write_file(dir / "c/pcb/Dir/dir1", read_file(TOLV_SOURCE_DIR "/examples/sample.lst"));
    // C:\FILES, the DskPath of every area, holds two of the sample's six
    // files (one of another size) and one that no listing names.
    write_file(dir / "c/Files/sqz204.zip", std::string(202574, 'z'));
    write_file(dir / "c/Files/PACKR241.EXE", "short");
    write_file(dir / "c/Files/extra.txt", "");
    write_file(dir / "c/pcb/Dir/Games", entry_line("ONE.ZIP", "1024", "01-15-95", "One") + "\r\n" +
                                            entry_line("TWO.ZIP", "2048", "01-16-95", "Two\x1A") +
                                            "\r\n");
    if (blocked) mkdir((dir / "out/2-GAMES.dir").c_str(), 0755);
    write_file(dir / "DIR.LST", dir_list_record("C:\\PCB\\DIR\\DIR1", "Utilities \x92") +
                                    dir_list_record("C:\\PCB\\DIR\\GAMES", "Games") +
                                    dir_list_record("C:\\PCB\\DIR\\DIR3", "Gone") +
                                    dir_list_record("D:\\DIR4", "Elsewhere"));
  }
  std::string map() const { return "--map=C:=" + dir.path + "/c"; }
};

// The base tolvconv makes of `listing` by hand: its two files' bytes.
std::string direct_conversion(const std::string& listing) {
  TempDir scratch;
  Outcome run = run_tolvconv({listing, scratch / "base"});
  EXPECT_EQ(run.status, 0) << run.output;
  return read_file(scratch / "base.dir") + "|" + read_file(scratch / "base.des");
}

// The two files' bytes of a base in OUTDIR, of a Board or a MixedBoard.
template <typename AnyBoard>
std::string base_bytes(const AnyBoard& board, const std::string& name) {
  return read_file(board.dir / ("out/" + name + ".dir")) + "|" +
         read_file(board.dir / ("out/" + name + ".des"));
}

TEST(Tolvboard, ConvertsEveryAreaAndSaysWhatBecameOfEach) {
  Board board;
  Outcome run = tolvboard(board.dir, {board.map(), "--json", "DIR.LST", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "");
  std::string c = board.dir.path + "/c/pcb/Dir/";
  std::string lines[] = {
      "{\"area\": 1, \"description\": \"Utilities \xC3\x86\", \"listing\": \"" + c +
          "dir1\", \"base\": \"out/1-DIR1\", \"status\": \"converted\", \"appended\": 6,"
          " \"skipped\": 0, \"findings\": 0, \"exit\": 0, \"message\": null,"
          " \"files\": \"C:\\\\FILES\", \"layout\": null, \"not_carried\": null, \"dropped\": null,"
          " \"exact\": null, \"described\": null, \"orphans_written\": null, \"missing_files\": 4,"
          " \"sizes_differ\": 1, \"orphans\": 1}",
      "{\"area\": 2, \"description\": \"Games\", \"listing\": \"" + c +
          "Games\", \"base\": \"out/2-GAMES\", \"status\": \"failed\", \"appended\": 0,"
          " \"skipped\": 0, \"findings\": 0, \"exit\": 6, \"message\": \"Runtime error 6 at 0x",
      "{\"area\": 3, \"description\": \"Gone\", \"listing\": \"" + c +
          "DIR3\", \"base\": \"out/3-DIR3\", \"status\": \"missing\", \"appended\": 0,"
          " \"skipped\": 0, \"findings\": null, \"exit\": 1,",
      "{\"area\": 4, \"description\": \"Elsewhere\", \"listing\": \"D:\\\\DIR4\", \"base\": "
      "\"out/4-DIR4\", \"status\": \"failed\", \"appended\": 0, \"skipped\": 0, \"findings\": null,"
      " \"exit\": null, \"message\": \"drive D: has no --map (add --map D:=DIRECTORY)\","
      " \"files\": \"C:\\\\FILES\", \"layout\": null,",
      "{\"areas\": 4, \"converted\": 1, \"exists\": 0, \"missing\": 1, \"failed\": 2, "
      "\"appended\": 6, "
      "\"skipped\": 0,"
      " \"findings\": 0, \"not_carried\": null, \"dropped\": null, \"inexact\": null,"
      " \"missing_files\": 4, \"sizes_differ\": 1, \"orphans\": 1, \"dry_run\": false}\n",
  };
  size_t at = 0;
  for (const std::string& line : lines) {
    size_t found = run.output.find(line, at);
    EXPECT_EQ(found, at) << "expected at byte " << at << ": " << line << "\nin:\n" << run.output;
    at = run.output.find('\n', at) + 1;
  }
  EXPECT_EQ(base_bytes(board, "1-DIR1"), direct_conversion(board.dir / "c/pcb/Dir/dir1"));
  std::string log = read_file(board.dir / "out/tolvboard.log");
  char* beside = realpath(TOLVCONV_BINARY, nullptr);
  ASSERT_NE(beside, nullptr);
  EXPECT_NE(log.find("\n== tolvboard: DIR.LST into out, by " + std::string(beside) + " ==\n"),
            std::string::npos)
      << log;
  free(beside);
  for (const char* header : {"== area 1: ", "== area 2: ", "== area 3: ", "== area 4: "})
    EXPECT_NE(log.find(header), std::string::npos) << header;
  EXPECT_NE(log.find("not found."), std::string::npos) << log;
  // Every file the check found is named in the log, under its area.
  std::string files = board.dir / "c/Files";
  EXPECT_NE(log.find("tolvboard: files: record 1: its file 'PACKR241.EXE' in '" + files +
                     "' has 5 bytes, the record says 237865\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("tolvboard: files: 'extra.txt' in '" + files +
                     "' (0 bytes) is named by no record\n== area 2: "),
            std::string::npos)
      << log;
}

// Bytes 0x80-0xFF in every string of the DIR.LST, and in the name of the
// listing on disk: every JSON line parses as UTF-8, and the listing's path
// gives back its bytes through Python's surrogateescape. A FIFO nobody
// writes and /dev/zero as listings fail at once; the area after them runs.
TEST(Tolvboard, NoByteOfTheBoardBreaksTheJsonAndNoListingMakesItWait) {
  if (system("python3 -c 'import json, os' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  TempDir dir;
  mkdir((dir / "c").c_str(), 0755);
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte) high += static_cast<char>(byte);
  write_file(dir / "c/DIR\x82\xff", read_file(TOLV_SOURCE_DIR "/examples/sample.lst"));
  ASSERT_EQ(mkfifo((dir / "c/FIFO").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", (dir / "c/ZERO").c_str()), 0);
  auto record = [](std::string listing, std::string files, std::string text) {
    return listing.append(30 - listing.size(), ' ') + files.append(30 - files.size(), ' ') +
           text.append(35 - text.size(), ' ') + '\0';
  };
  write_file(dir / "DIR.LST",
             record("C:\\DIR\x82\xff", "C:\\" + high.substr(0, 27), high.substr(27, 35)) +
                 record("C:\\FIFO", "C:\\" + high.substr(62, 27), high.substr(89, 35)) +
                 record("C:\\ZERO", "", "") + record("C:\\DIR\x82\xff", "", high.substr(124)));
  write_file(dir / "check.py",
             "import json, os, sys\n"
             "for line in open(sys.argv[1], encoding='utf-8', errors='strict'):\n"
             "    o = json.loads(line)\n"
             "    if 'area' in o:\n"
             "        print(o['area'], o['status'], os.fsencode(o['listing']) == "
             "sys.argv[2].encode('utf-8', 'surrogateescape'), o['message'])\n");
  for (const char* mode : {"--dry-run", "--json"}) {
    Outcome run = tolvboard(dir, {"--map=C:=" + dir.path + "/c", "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1) << run.errors;
    write_file(dir / "out.jsonl", run.output);
    Outcome check =
        run_binary({"/bin/sh", "-c", "python3 check.py out.jsonl \"$0\"", dir / "c/DIR\x82\xff"},
                   "", dir.path, true);
    EXPECT_EQ(check.status, 0) << check.errors << run.output;
    EXPECT_EQ(check.output,
              "1 converted True None\n"
              "2 failed False cannot open '" +
                  dir.path +
                  "/c/FIFO': it is a FIFO, not a regular file\n"
                  "3 failed False cannot open '" +
                  dir.path +
                  "/c/ZERO': it is a character device, not a regular file\n"
                  "4 converted True None\n")
        << mode;
  }
  // The journal names those bases with the same escapes, and gives back
  // their bytes: --undo removes them.
  Outcome undo = tolvboard(dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.output << undo.errors;
  for (const char* base : {"out/1-DIR\x82\xff.dir", "out/4-DIR\x82\xff.des"})
    EXPECT_FALSE(file_exists(dir / base)) << undo.output;
}

TEST(Tolvboard, ADupeRunAgainAppendsNothingAndADryRunWritesNothing) {
  Board board(false);
  ASSERT_EQ(tolvboard(board.dir, {board.map(), "DIR.LST", "out"}).status, 1);
  std::string first[] = {base_bytes(board, "1-DIR1"), base_bytes(board, "2-GAMES")};
  EXPECT_EQ(first[1], direct_conversion(board.dir / "c/pcb/Dir/Games"));

  // Without --dupe or --append, run or previewed, a base that holds records
  // is left as it was.
  for (const char* mode : {"--json", "--dry-run"}) {
    Outcome run = tolvboard(board.dir, {board.map(), "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(
                  "\"exists\", \"appended\": 0, \"skipped\": 0, \"findings\": null, \"exit\": "
                  "null, \"message\": \"holds 2 records; --dupe skips files it holds, "
                  "--append appends regardless\""),
              std::string::npos)
        << run.output;
    EXPECT_EQ(base_bytes(board, "1-DIR1") + base_bytes(board, "2-GAMES"), first[0] + first[1]);
  }

  // What a dry run says a --dupe run appends is what the run then does.
  for (const char* mode : {"--dry-run", "--json"}) {
    Outcome run = tolvboard(board.dir, {board.map(), "--dupe", "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1) << mode;
    EXPECT_NE(run.output.find("\"area\": 1,"), std::string::npos) << run.output;
    for (const char* counts :
         {"\"appended\": 0, \"skipped\": 6,", "\"appended\": 0, \"skipped\": 2,"})
      EXPECT_NE(run.output.find(counts), std::string::npos) << mode << ": " << run.output;
    EXPECT_EQ(base_bytes(board, "1-DIR1"), first[0]);
    EXPECT_EQ(base_bytes(board, "2-GAMES"), first[1]);
  }

  // --append appends all the same, unless --dupe wins.
  tolvboard(board.dir, {board.map(), "--append", "--dupe", "DIR.LST", "out"});
  EXPECT_EQ(base_bytes(board, "2-GAMES"), first[1]);
  tolvboard(board.dir, {board.map(), "--append", "DIR.LST", "out"});
  EXPECT_EQ(read_file(board.dir / "out/2-GAMES.dir").size(), 2 * 2 * 120u);

  // A dry run into a directory that does not exist leaves it so.
  Outcome dry = tolvboard(board.dir, {board.map(), "--dry-run", "DIR.LST", "new"});
  EXPECT_EQ(dry.status, 1);
  EXPECT_FALSE(file_exists(board.dir / "new"));
  EXPECT_NE(
      dry.output.find("2 would be converted, 0 exist, 1 missing, 1 failed;\n8 records would be"),
      std::string::npos)
      << dry.output;
}

TEST(Tolvboard, AnAreaFileOfSoundAreasEndsWithStatusZero) {
  Board board(false);
  write_file(board.dir / "areas", "# two areas\nc/PCB/dir/DIR1\tUtilities\nc/pcb/dir/games\n");
  Outcome run = tolvboard(board.dir, {"--areas", "areas", "--", "out"});
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  EXPECT_NE(run.output.find("   1  Utilities   ...ir/dir1  out/1-DIR1  "), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("2 areas: 2 converted, 0 exist, 0 missing, 0 failed;\n8 records"),
            std::string::npos)
      << run.output;
}

// Redirected, every line of the table fits 80 columns, however long the
// paths and messages; a base is named as its files are. The log starts
// with the run's time and command and ends with the totals; no control
// byte but the line end reaches it, from a name or from tolvconv.
TEST(Tolvboard, TheTableFitsEightyColumnsAndTheLogHoldsNoControlByte) {
  Board board(false);
  std::string c = board.dir / "c/pcb/Dir/";
  write_file(c + "UP.PCB", read_file(c + "Games"));
  write_file(board.dir / "areas", c + "dir1\tUtilities and more\n" + c + "UP.PCB\n" + c +
                                      std::string(60, 'n') + "\nc/x\r== area 9 ==\x1B/y\nc/\r/\n");
  Outcome run = tolvboard(board.dir, {"--areas", "areas", "out"});
  EXPECT_EQ(run.status, 1) << run.output;
  for (size_t at = 0, end; (end = run.output.find('\n', at)) != std::string::npos; at = end + 1)
    EXPECT_LE(end - at, 80u) << run.output;
  EXPECT_NE(run.output.find("  out/2-UP  "), std::string::npos) << run.output;
  EXPECT_TRUE(file_exists(board.dir / "out/2-UP.dir"));
  std::string log = read_file(board.dir / "out/tolvboard.log");
  EXPECT_TRUE(std::regex_search(
      log, std::regex("^== \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}: \\S+/tolvboard "
                      "--areas areas out ==\n")))
      << log;
  EXPECT_TRUE(
      log.ends_with("\n== 5 areas: 2 converted, 0 exist, 2 missing, 1 failed; 8 records "
                    "appended, 0 skipped, 0 findings ==\n"))
      << log;
  EXPECT_NE(log.find("== area 4: c/x\\x0D== area 9 ==\\x1B/y -> out/4-y ==\n\n"),
            std::string::npos);
  EXPECT_NE(log.find("\\x07ERROR: PCBoard file listing (c/x"), std::string::npos) << log;
  EXPECT_EQ(
      std::count_if(log.begin(), log.end(), [](unsigned char b) { return b < 0x20 && b != 10; }),
      0);
}

TEST(Tolvboard, ConverterOptionRunsThatProgramAndTheLogNamesIt) {
  Board board(false);
  write_file(board.dir / "areas", "c/pcb/Dir/dir1\tUtilities\n");
  write_file(board.dir / "fake", "#!/bin/sh\necho \"fake: $*\"\n");
  chmod((board.dir / "fake").c_str(), 0755);
  Outcome run = tolvboard(board.dir, {"--converter=./fake", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  EXPECT_FALSE(file_exists(board.dir / "out/1-dir1.dir"));  // the real tolvconv did not run
  std::string log = read_file(board.dir / "out/tolvboard.log");
  EXPECT_EQ(
      log.substr(log.find('\n') + 1),
      "== tolvboard: areas into out, by ./fake ==\n"
      "== area 1: c/pcb/Dir/dir1 -> out/1-dir1 ==\n"
      "fake: c/pcb/Dir/dir1 out/1-dir1\n"
      "== 1 area: 1 converted, 0 exist, 0 missing, 0 failed; 0 records appended, 0 skipped, 0 "
      "findings ==\n");
}

// Two runs at once into one OUTDIR: the second names the first and exits,
// or with --wait waits for it. The first is held in its conversion by a
// converter that waits for a file "go"; each step waits for what it must
// see, never for a time.
TEST(Tolvboard, OneRunAtATimeConvertsIntoAnOutputDirectory) {
  Board board(false);
  write_file(board.dir / "areas", "c/pcb/Dir/dir1\n");
  write_file(board.dir / "slow", std::string("#!/bin/sh\n: >started\nfor i in $(seq 1500); do [ -e "
                                             "go ] && break; sleep 0.02; done\nexec ") +
                                     TOLVCONV_BINARY + " \"$@\"\n");
  chmod((board.dir / "slow").c_str(), 0755);
  auto start = [&](const std::string& name, const std::string& options) {
    std::string run = std::string(TOLVBOARD_BINARY) + " " + options + " --areas areas out";
    run_binary({"/bin/sh", "-c",
                "(" + run + " >/dev/null 2>" + name + "; echo $? >" + name +
                    ".status) </dev/null >/dev/null 2>&1 &"},
               "", board.dir.path);
  };
  start("first", "--converter=./slow");
  ASSERT_TRUE(eventually([&] { return file_exists(board.dir / "started"); }));
  Outcome second = tolvboard(board.dir, {"--dupe", "--areas", "areas", "out"});
  EXPECT_EQ(second.status, 2);
  EXPECT_TRUE(std::regex_match(second.errors, std::regex("tolvboard: 'out' is in use by tolvboard "
                                                         "run \\d+, started [-0-9: +]+: \\S+/"
                                                         "tolvboard --converter=./slow --areas "
                                                         "areas out\n")))
      << second.errors;
  start("third", "--wait --dupe");
  ASSERT_TRUE(eventually(
      [&] { return read_file(board.dir / "third").find("waiting") != std::string::npos; }));
  write_file(board.dir / "go", "");
  ASSERT_TRUE(eventually([&] { return file_exists(board.dir / "third.status"); }));
  EXPECT_EQ(read_file(board.dir / "first.status") + read_file(board.dir / "third.status"),
            "0\n0\n");
  EXPECT_EQ(base_bytes(board, "1-dir1"), direct_conversion(board.dir / "c/pcb/Dir/dir1"));
}

// A DIR.LST path with "..", a path rooted without a drive and without
// --map for it, a base whose file is a symbolic link: refused for their
// area, nothing written for it.
TEST(Tolvboard, PathsOutOfTheBoardOrOutdirAreRefusedForTheirArea) {
  Board board(false);
  write_file(board.dir / "DIR.LST", dir_list_record("\\PCB\\DIR\\DIR1", "") +
                                        dir_list_record("C:\\PCB\\..\\PCB\\DIR\\GAMES", "") +
                                        dir_list_record("C:\\PCB\\DIR\\GAMES", "", "C:\\..") +
                                        dir_list_record("C:\\PCB\\DIR\\GAMES", ""));
  ASSERT_EQ(symlink((board.dir / "outside").c_str(), (board.dir / "out/4-GAMES.des").c_str()), 0);
  Outcome run = tolvboard(board.dir, {board.map(), "--json", "DIR.LST", "out"});
  for (const char* message : {"has no --map (add --map '\\\\=DIRECTORY')\"",
                              "\"its listing path has a '..' component; it is not followed\"",
                              "\"its DskPath has a '..' component; it is not followed\"",
                              "4-GAMES.des' is a symbolic link; nothing is written through it\"",
                              "\"converted\": 0, \"exists\": 0, \"missing\": 0, \"failed\": 4"})
    EXPECT_NE(run.output.find(message), std::string::npos) << message << "\n" << run.output;
  EXPECT_FALSE(file_exists(board.dir / "outside") || file_exists(board.dir / "out/2-GAMES.dir") ||
               file_exists(board.dir / "out/3-GAMES.dir"));
  tolvboard(board.dir, {board.map(), "--map", "\\=" + board.dir / "c", "DIR.LST", "out"});
  EXPECT_EQ(base_bytes(board, "1-DIR1"), direct_conversion(board.dir / "c/pcb/Dir/dir1"));
}

// ------------------------------------------------------------------ undo

// The board converted twice: the second run, given --append, appends every
// file again.
std::string board_twice(const Board& board) {
  EXPECT_EQ(tolvboard(board.dir, {board.map(), "DIR.LST", "out"}).status, 1);
  std::string first = base_bytes(board, "1-DIR1") + base_bytes(board, "2-GAMES");
  EXPECT_EQ(tolvboard(board.dir, {board.map(), "--append", "DIR.LST", "out"}).status, 1);
  return first;
}

const std::string kUndone =
    "undone: out/1-DIR1: back to 6 records, 491 description bytes\n"
    "undone: out/2-GAMES: back to 2 records, 9 description bytes\n"
    "2 bases undone, 0 left alone, 1 unchanged by the run\n";

// Output after the line naming the run.
std::string undo_report(const Outcome& run) {
  EXPECT_EQ(run.output.rfind("undoing the run of ", 0), 0u) << run.output;
  return run.output.substr(run.output.find('\n') + 1);
}

TEST(Tolvboard, UndoTakesBackTheLastRunByteForByteThenTheOneBefore) {
  Board board(false);
  std::string first = board_twice(board);
  Outcome undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_NE(
      undo.output.find(" UTC: tolvboard --map C:=" + board.dir.path + "/c --append DIR.LST out\n"),
      std::string::npos)
      << undo.output;
  EXPECT_EQ(undo_report(undo), kUndone);
  EXPECT_EQ(base_bytes(board, "1-DIR1") + base_bytes(board, "2-GAMES"), first);

  // The first run made both bases: they go, and OUTDIR is as before it.
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_EQ(undo_report(undo),
            "undone: out/1-DIR1: its files removed: the run made them\n"
            "undone: out/2-GAMES: its files removed: the run made them\n"
            "2 bases undone, 0 left alone, 1 unchanged by the run\n");
  for (const char* file : {"1-DIR1.dir", "1-DIR1.des", "2-GAMES.dir", "2-GAMES.des"})
    EXPECT_FALSE(file_exists(board.dir / ("out/" + std::string(file)))) << file;
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo.errors,
            "tolvboard: nothing left to undo: every run in 'out/tolvboard.journal' is undone\n");
}

// A base that another program changed after the run is named and left as
// it is; the other is undone. Undoing the run before leaves it alone too.
TEST(Tolvboard, UndoLeavesABaseChangedSinceTheRun) {
  enum Change { kAppended, kTouched, kReplaced, kLocked, kLinked };
  struct Case {
    Change change;
    std::string why;  // the start of the reason
  } cases[] = {
      {kAppended,
       "changed since the run: its description file has 983 bytes, not the 982 the journal "
       "expects"},
      {kTouched, "changed since the run: its record file was written at 2001-09-09 01:46:40 UTC"},
      {kReplaced, "changed since the run: its record file is another file than the journal names"},
      {kLocked, "'out/1-DIR1.des' is locked: a conversion is writing the base, or a program"},
      {kLinked, "'out/1-DIR1.dir' is a symbolic link; a base is cut only through its own files"},
  };
  for (const Case& c : cases) {
    Board board(false);
    board_twice(board);
    std::string dir = board.dir / "out/1-DIR1.dir", des = board.dir / "out/1-DIR1.des";
    int held = -1;
    if (c.change == kAppended) write_file(des, read_file(des) + "x");
    if (c.change == kTouched) {
      struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
      ASSERT_EQ(utimensat(AT_FDCWD, dir.c_str(), times, 0), 0);
    }
    if (c.change == kReplaced || c.change == kLinked) {
      write_file(dir + ".new", read_file(dir));
      std::string moved = c.change == kLinked ? dir + ".link" : dir + ".new";
      if (c.change == kLinked) {
        ASSERT_EQ(symlink((dir + ".new").c_str(), moved.c_str()), 0);
      }
      ASSERT_EQ(rename(moved.c_str(), dir.c_str()), 0);
    }
    if (c.change == kLocked) {
      held = ::open(des.c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(flock(held, LOCK_EX), 0);
    }
    std::string changed = base_bytes(board, "1-DIR1");
    Outcome undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 1) << c.why;
    std::string report = undo_report(undo);
    EXPECT_EQ(report.rfind("left alone: out/1-DIR1: " + c.why, 0), 0u) << report;
    EXPECT_NE(report.find("\nundone: out/2-GAMES: back to 2 records, 9 description bytes\n"
                          "1 base undone, 1 left alone, 1 unchanged by the run\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(base_bytes(board, "1-DIR1"), changed) << c.why;

    undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 1) << c.why;
    report = undo_report(undo);
    EXPECT_EQ(report.rfind("left alone: out/1-DIR1: ", 0), 0u) << report;
    EXPECT_NE(report.find("\nundone: out/2-GAMES: its files removed"), std::string::npos) << report;
    EXPECT_EQ(base_bytes(board, "1-DIR1"), changed) << c.why;
    if (held >= 0) ::close(held);
  }
}

// A journal --undo cannot trust changes nothing: one line, status 2.
TEST(Tolvboard, UndoRefusesAJournalItCannotTrust) {
  const std::string journal = "out/tolvboard.journal";
  const std::string damaged = "tolvboard: '" + journal + "' is damaged at line ";
  // Each case replaces the first `from` of the journal with `to`.
  struct Case {
    std::string from, to, error;
  } cases[] = {
      {"{\"kind\": \"run\"", "garbage\n{\"kind\": \"run\"",
       damaged + "1: not JSON: no value at byte 1; nothing undone"},
      {"\"records_before\": 6", "\"records_before\": \"6\"",
       damaged + "6: its \"records_before\" is not a number; nothing undone"},
      {"\"record_inode\": ", "\"inode\": ", damaged + "2: no \"record_inode\"; nothing undone"},
      {"\"base\": \"1-DIR1\"", "\"base\": \"../1-DIR1\"",
       damaged + "2: the base '../1-DIR1' is not a name inside OUTDIR; nothing undone"},
      {"{\"kind\": \"run\"",
       "{\"kind\": \"undo\", \"run\": \"1-1\", \"time\": 1}\n{\"kind\": \"run\"",
       damaged + "1: run '1-1', which no line before it starts; nothing undone"},
      {"\"outdir_inode\": ", "\"outdir_inode\": 1",
       "tolvboard: '" + journal +
           "' was written in another directory than 'out' (copied or moved here; line 1); "
           "nothing undone"},
  };
  Board board(false);
  std::string first = board_twice(board);
  std::string second = base_bytes(board, "1-DIR1") + base_bytes(board, "2-GAMES");
  const std::string whole = read_file(board.dir / journal);
  for (const Case& c : cases) {
    std::string bytes = whole;
    bytes.replace(bytes.find(c.from), c.from.size(), c.to);
    write_file(board.dir / journal, bytes);
    Outcome undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 2) << c.error;
    EXPECT_EQ(undo.errors, c.error + "\n");
    EXPECT_EQ(undo.output, "");
    EXPECT_EQ(read_file(board.dir / journal), bytes);
  }
  // The last line cut short, as by a full disk.
  write_file(board.dir / journal, whole.substr(0, whole.size() - 9));
  EXPECT_EQ(tolvboard(board.dir, {"--undo", "out"}).errors,
            damaged + "8: it is cut short (no line end); nothing undone\n");
  unlink((board.dir / journal).c_str());
  EXPECT_EQ(tolvboard(board.dir, {"--undo", "out"}).errors,
            "tolvboard: 'out' has no tolvboard.journal: no run of tolvboard to undo there\n");
  EXPECT_EQ(base_bytes(board, "1-DIR1") + base_bytes(board, "2-GAMES"), second);
}

// A cut that fails stops the undo of that base only, and the run stays to
// be undone: the next --undo takes up what is left.
TEST(Tolvboard, AnUndoCutShortByAFailureIsTakenUpAgain) {
  Board board(false);
  std::string first = board_twice(board);
  std::string out = board.dir / "out";
  Outcome undo = test::run_companion_in_child(tolvboard_program(), {"--undo", out},
                                              {{test::nth_call(test::Call::Ftruncate, 2), EIO}});
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo_report(undo), "not undone: " + out + "/1-DIR1: cannot cut '" + out +
                                   "/1-DIR1.dir': Input/output error\n"
                                   "undone: " +
                                   out +
                                   "/2-GAMES: back to 2 records, 9 description bytes\n"
                                   "1 base undone, 0 left alone, 1 unchanged by the run\n");
  EXPECT_EQ(undo.errors,
            "tolvboard: the run is not marked undone: --undo again takes up the bases left to "
            "undo\n");
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_EQ(undo_report(undo),
            "undone: out/1-DIR1: back to 6 records, 491 description bytes\n"
            "undone: out/2-GAMES: by an undo that stopped before the end\n"
            "2 bases undone, 0 left alone, 1 unchanged by the run\n");
  EXPECT_EQ(base_bytes(board, "1-DIR1") + base_bytes(board, "2-GAMES"), first);
}

// A listing named with a raw C1 byte and C1 in UTF-8: its base reaches the
// table, the log and --undo's report only escaped, also in a reason that
// names one of the base's files.
TEST(Tolvboard, RawAndEncodedC1InAListingsNameReachNoTerminal) {
  Board board(false);
  const std::string name = "g\x9b[1m\xc2\x9b[1m", shown = "g\\x9B[1m\\xC2\\x9B[1m";
  std::string listing = board.dir / ("c/pcb/Dir/" + name);
  write_file(listing, read_file(board.dir / "c/pcb/Dir/Games"));
  write_file(board.dir / "areas", listing + "\tGames\n");
  Outcome run = tolvboard(board.dir, {"--areas", "areas", "out"});
  EXPECT_EQ(run.status, 0) << run.output;
  ASSERT_EQ(tolvboard(board.dir, {"--append", "--areas", "areas", "out"}).status, 0);
  int held = ::open((board.dir / ("out/1-" + name + ".des")).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  Outcome undo = tolvboard(board.dir, {"--undo", "out"});
  ::close(held);
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo_report(undo), "left alone: out/1-" + shown + ": 'out/1-" + shown +
                                   ".des' is locked: a conversion is writing the base, or a "
                                   "program is reading it\n0 bases undone, 1 left alone, 0 "
                                   "unchanged by the run\n");
  std::string log = read_file(board.dir / "out/tolvboard.log");
  EXPECT_NE(log.find("c/pcb/Dir/" + shown + " -> out/1-" + shown + " ==\n"), std::string::npos)
      << log;
  for (const std::string* text : {&run.output, &undo.output, &log})
    EXPECT_EQ(text->find('\x9b'), std::string::npos) << *text;
}

// A file of `size` bytes (sparse) modified at local noon on the day given.
void dated_file(const std::string& path, off_t size, int year, int month, int day) {
  write_file(path, "");
  ASSERT_EQ(truncate(path.c_str(), size), 0);
  struct tm noon {};
  noon.tm_year = year - 1900, noon.tm_mon = month - 1, noon.tm_mday = day, noon.tm_hour = 12;
  noon.tm_isdst = -1;
  struct utimbuf times = {mktime(&noon), mktime(&noon)};
  ASSERT_EQ(utime(path.c_str(), &times), 0);
}

// A board of listings in several layouts, each with its files; drive C: is
// dir/c. Area 1 is a Spitfire list whose files lie in its DskPath C:\SF,
// area 2 a FILES.BBS without a DskPath among its files, one of its entries
// naming a file that is not there, area 3 a PCBoard DIR with a rule of
// dashes and its files in C:\PCBF (spelled in other cases on the disk), and
// area 4 prose that no layout fits. Areas 5 to 7 list DIR3 again with a
// DskPath that names a file, nothing, and an unmapped drive. Every listed
// date is its file's.
struct MixedBoard {
  TempDir dir;
  MixedBoard() {
    for (const char* sub : {"c", "c/pcb", "c/pcb/dir", "c/sf", "c/fb", "c/pcbf"})
      mkdir((dir / sub).c_str(), 0755);
    write_file(dir / "c/pcb/dir/sffiles.1",
               "Name          Size     Date    Description\r\n" + std::string(60, '-') + "\r\n" +
                   entry_line("ZTERMCAP.LBR", "4,096", "06-07-93",
                              "A terminal description for the 128 with line graphics. Programs "
                              "that use it draw boxes with the graphics characters.") +
                   "\r\n" + entry_line("BIGFILE.ZIP", "123,456", "01-15-95", "A big archive") +
                   "\r\n" + entry_line("SMALL.TXT", "12", "02-02-94", "Small") + "\r\n");
    dated_file(dir / "c/sf/ztermcap.lbr", 4096, 1993, 6, 7);
    dated_file(dir / "c/sf/BIGFILE.ZIP", 123456, 1995, 1, 15);
    dated_file(dir / "c/sf/small.txt", 12, 1994, 2, 2);
    write_file(dir / "c/fb/FILES.BBS",
               " -- Uploads\r\nONE.ZIP      First file\r\nTWO.ZIP      [3] Second file\r\n"
               " >  continued here\r\nGONE.ZIP     Not on the disk\r\n");
    dated_file(dir / "c/fb/ONE.ZIP", 100, 2001, 2, 3);
    dated_file(dir / "c/fb/two.zip", 2000, 2002, 3, 4);
    write_file(dir / "c/pcb/dir/dir3",
               entry_line("ALPHA.ZIP", "1000", "03-04-95", "Alpha") + "\r\n" +
                   continuation_line("more alpha") + "\r\n" + std::string(47, '-') + "\r\n" +
                   entry_line("BETA.ARJ", "500", "12-31-99", "Beta") + "\r\n");
    dated_file(dir / "c/pcbf/alpha.zip", 1000, 1995, 3, 4);
    dated_file(dir / "c/pcbf/Beta.Arj", 500, 1999, 12, 31);
    write_file(dir / "c/pcb/dir/readme", "This is just prose.\nNothing here.\n");
    write_file(dir / "DIR.LST",
               dir_list_record("C:\\PCB\\DIR\\SFFILES.1", "Spitfire", "C:\\SF") +
                   dir_list_record("C:\\FB\\FILES.BBS", "Uploads", "") +
                   dir_list_record("C:\\PCB\\DIR\\DIR3", "PCBoard", "C:\\PCBF") +
                   dir_list_record("C:\\PCB\\DIR\\README", "Prose", "") +
                   dir_list_record("C:\\PCB\\DIR\\DIR3", "", "C:\\PCB\\DIR\\DIR3") +
                   dir_list_record("C:\\PCB\\DIR\\DIR3", "", "C:\\NONE") +
                   dir_list_record("C:\\PCB\\DIR\\DIR3", "", "D:\\FILES"));
  }
  std::string map() const { return "--map=C:=" + dir.path + "/c"; }
};

TEST(Tolvboard, NormalizeGivesTheBasesTolvbaseNormalizeAndTolvconvGiveByHand) {
  MixedBoard board;
  mkdir((board.dir / "out").c_str(), 0755);
  write_file(board.dir / "out/5-DIR3.dir", "kept");  // a failed area's base stays as it was
  std::string c = board.dir.path + "/c/", failed = "\"status\": \"failed\", \"appended\": 0, ";
  // Per area: what a run and its dry run both say.
  const std::string said[] = {
      "\"status\": \"converted\", \"appended\": 3, \"skipped\": 0, \"findings\": 0,",
      "\"layout\": \"spitfire\", \"not_carried\": 0, \"dropped\": 0, \"exact\": true,",
      "\"status\": \"converted\", \"appended\": 2, \"skipped\": 0, \"findings\": 0,",
      "\"layout\": \"files-bbs\", \"not_carried\": 1, \"dropped\": 1, \"exact\": false,",
      "\"status\": \"converted\", \"appended\": 2, \"skipped\": 0, \"findings\": 0,",
      "\"layout\": \"pcboard\", \"not_carried\": 0, \"dropped\": 0, \"exact\": true,",
      failed +
          "\"skipped\": 0, \"findings\": null, \"exit\": null, \"message\": \"no layout "
          "recognised: no line reads as a file entry\", \"files\": null, \"layout\": null,",
      failed +
          "\"skipped\": 0, \"findings\": null, \"exit\": null, \"message\": \"its files' "
          "directory '" +
          c + "pcb/dir/dir3' is not a directory\"",
      "\"message\": \"its files' directory '" + c + "NONE' does not exist\"",
      "\"message\": \"its files' directory: drive D: has no --map (add --map D:=DIRECTORY)\"",
      "{\"areas\": 7, \"converted\": 3, \"exists\": 0, \"missing\": 0, \"failed\": 4, "
      "\"appended\": 7, "
      "\"skipped\": 0, \"findings\": 0, \"not_carried\": 1, \"dropped\": 1, \"inexact\": 1,",
  };
  for (const char* mode : {"--dry-run", "--json"}) {
    Outcome run =
        tolvboard(board.dir, {board.map(), "--normalize", "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1) << mode << run.errors;
    size_t at = 0;
    for (const std::string& part : said) {
      at = run.output.find(part, at);
      EXPECT_NE(at, std::string::npos) << mode << ": " << part << "\nin:\n" << run.output;
    }
    // The dry run writes none of the files checked below, and checks no
    // base against its files; the run finds each area's files as listed.
    bool dry = mode == std::string("--dry-run");
    EXPECT_EQ(file_exists(board.dir / "out/1-SFFILES.lst"), !dry);
    EXPECT_NE(run.output.find(dry ? "\"missing_files\": null, \"sizes_differ\": null, "
                                    "\"orphans\": null, \"dry_run\": true}"
                                  : "\"missing_files\": 0, \"sizes_differ\": 0, \"orphans\": 0, "
                                    "\"dry_run\": false}"),
              std::string::npos)
        << run.output;
  }
  // Each base, listing and report is what tolvbase normalize --dir and
  // tolvconv make by hand.
  for (auto [stem, listing, files] : {std::tuple{"1-SFFILES", "c/pcb/dir/sffiles.1", "c/sf"},
                                      {"2-FILES", "c/fb/FILES.BBS", "c/fb"},
                                      {"3-DIR3", "c/pcb/dir/dir3", "c/pcbf"}}) {
    Outcome hand = run_tolvbase({"normalize", "--dir", board.dir / files, "--report",
                                 board.dir / "report", board.dir / listing});
    write_file(board.dir / "clean.lst", hand.output);
    std::string out = board.dir / ("out/" + std::string(stem));
    EXPECT_EQ(read_file(out + ".lst"), hand.output) << stem;
    EXPECT_EQ(read_file(out + ".report"), read_file(board.dir / "report")) << stem;
    EXPECT_EQ(base_bytes(board, stem), direct_conversion(board.dir / "clean.lst")) << stem;
  }
  EXPECT_EQ(read_file(board.dir / "out/2-FILES.report").rfind("1: dropped: ", 0), 0u);
  EXPECT_NE(read_file(board.dir / "out/2-FILES.report").find("\n5: not-carried: 'GONE.ZIP' "),
            std::string::npos);
  EXPECT_EQ(read_file(board.dir / "out/5-DIR3.dir"), "kept");
  for (const char* unmade : {"out/4-README.lst", "out/4-README.dir", "out/5-DIR3.lst"})
    EXPECT_FALSE(file_exists(board.dir / unmade)) << unmade;

  // Again with --dupe: the dry run and the run skip every entry the bases
  // hold; under each row what the normalizer made of the listing, and once
  // converted what the check of the files found.
  for (const char* mode : {"--dry-run", "--dupe"}) {
    Outcome run =
        tolvboard(board.dir, {board.map(), "--normalize", "--dupe", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1);
    std::string files =
        mode == std::string("--dupe") ? "\n {6}files: 0 missing, 0 sizes differ, 0 orphans" : "";
    EXPECT_TRUE(std::regex_search(
        run.output, std::regex(" 3 +0 +converted\n {6}spitfire: 0 entries not carried, 0 lines "
                               "dropped" +
                               files + "\n")))
        << run.output;
    for (size_t at = 0, end; (end = run.output.find('\n', at)) != std::string::npos; at = end + 1)
      EXPECT_LE(end - at, 80u) << run.output;
    EXPECT_TRUE(std::regex_search(run.output, std::regex("\n0 records( would be)? appended, 7 "
                                                         "skipped, 0 findings;\n1 entry not "
                                                         "carried, 1 line dropped, 1 area not")))
        << run.output;
  }

  // An entry not carried alone makes the status 1, as for tolvbase normalize;
  // an area file's third field is checked as a DskPath.
  for (auto [line, status, says] :
       {std::tuple{"c/pcb/dir/sffiles.1\tSpitfire\tc/sf\n", 0, "1 converted, 0 exist, 0 missing"},
        {"c/fb/FILES.BBS\tUploads\n", 1, "1 converted, 0 exist, 0 missing"},
        {"c/pcb/dir/dir3\t\tc/none/deeper\n", 1, "directory 'c/none/deeper' does not exist"}}) {
    write_file(board.dir / "areas", line);
    Outcome run = tolvboard(board.dir, {"--normalize", "--areas", "areas", "again"});
    EXPECT_EQ(run.status, status) << line << run.output;
    EXPECT_NE(run.output.find(says), std::string::npos) << run.output;
  }

  // A normalized listing planted as a link to a file outside OUTDIR is not
  // followed.
  write_file(board.dir / "target", "kept");
  unlink((board.dir / "out/1-SFFILES.lst").c_str());
  ASSERT_EQ(symlink((board.dir / "target").c_str(), (board.dir / "out/1-SFFILES.lst").c_str()), 0);
  Outcome linked = tolvboard(board.dir, {board.map(), "--normalize", "--append", "DIR.LST", "out"});
  EXPECT_NE(linked.output.find("failed\n      'out/1-SFFILES.lst' is a symbolic link; it is not "
                               "followed"),
            std::string::npos)
      << linked.output;
  EXPECT_EQ(read_file(board.dir / "target"), "kept");
}

// An area of archives: its FILES.BBS names ONE.ZIP without a word and
// TWO.ZIP with its own; NEW.ZIP lies beside them unnamed. --describe and
// --orphans (which imply --normalize) reach the area's normalizer, and
// their counts reach the row and the JSON.
TEST(Tolvboard, DescribeAndOrphansArePassedToEveryAreaAndCounted) {
  TempDir dir;
  mkdir((dir / "files").c_str(), 0755);
  std::string zip = archive_bytes(ArchiveFormat::Zip, {{"FILE_ID.DIZ", "From its archive\r\n"}});
  for (const char* name : {"ONE.ZIP", "TWO.ZIP", "NEW.ZIP"})
    write_file(dir / ("files/" + std::string(name)), zip);
  write_file(dir / "files/FILES.BBS", "ONE.ZIP\r\nTWO.ZIP  Its own words\r\n");
  write_file(dir / "areas", "files/FILES.BBS\tArchives\tfiles\n");
  Outcome run = tolvboard(dir, {"--describe", "--orphans", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  EXPECT_NE(run.output.find("\n      files-bbs: 0 entries not carried, 0 lines dropped\n"
                            "      archives: 2 described, 1 orphan written\n"),
            std::string::npos)
      << run.output;
  // ONE.ZIP and NEW.ZIP described from their archives, TWO.ZIP as listed.
  std::string listing = read_file(dir / "out/1-FILES.lst");
  EXPECT_EQ(listing.rfind("ONE.ZIP ", 0), 0u) << listing;
  EXPECT_NE(listing.find("  From its archive\r\nTWO.ZIP "), std::string::npos) << listing;
  EXPECT_NE(listing.find("  Its own words\r\nNEW.ZIP "), std::string::npos) << listing;
  EXPECT_TRUE(listing.ends_with("  From its archive\r\n")) << listing;
  EXPECT_NE(read_file(dir / "out/1-FILES.report")
                .find("0: orphan: 'FILES.BBS' is the listing read or written: not an entry\n"),
            std::string::npos);

  // --describe alone: NEW.ZIP stays out; a dry run counts as a run does.
  Outcome json = tolvboard(dir, {"--describe", "--json", "--dry-run", "--areas", "areas", "dry"});
  EXPECT_NE(json.output.find("\"exact\": true, \"described\": 1, \"orphans_written\": null,"),
            std::string::npos)
      << json.output;
}

TEST(Tolvboard, UsageErrorsAndUnreadableListsEndWithStatusTwo) {
  Board board;
  struct Case {
    std::vector<std::string> args;
    std::string message;  // the first line of standard error, after "tolvboard: "
  } cases[] = {
      {{}, "needs a DIR.LST and an OUTDIR"},
      {{"DIR.LST"}, "needs a DIR.LST and an OUTDIR"},
      {{"--map", "C=/srv", "DIR.LST", "out"},
       "--map 'C=/srv' is not DRIVE:=DIRECTORY (as C:=/srv/pcb) nor \\=DIRECTORY"},
      {{"--frobnicate", "DIR.LST", "out"}, "unknown option '--frobnicate'"},
      {{"--dry-rnu", "DIR.LST", "out"}, "unknown option '--dry-rnu'; did you mean '--dry-run'?"},
      {{"--areas", "areas", "DIR.LST", "out"}, "--areas FILE takes one OUTDIR"},
      {{"--areas=", "out"}, "--areas needs a value (FILE)"},
      {{"--converter", "", "DIR.LST", "out"}, "--converter needs a value (PROGRAM)"},
      {{"NOSUCH.LST", "out"}, "cannot open 'NOSUCH.LST': No such file or directory"},
      {{"c", "out"}, "cannot open 'c': Is a directory"},
      {{"DIR.LST", "DIR.LST"}, "'DIR.LST' is not a directory"},  // OUTDIR a file
      {{"--undo"}, "--undo takes one OUTDIR"},
      {{"--undo", "out", "out"}, "--undo takes one OUTDIR"},
      {{"--undo", "--dupe", "out"}, "--dupe cannot be used with --undo"},
      {{"--areas", "a", "--wait", "--undo", "out"}, "--areas cannot be used with --undo"},
      {{"--undo", "DIR.LST"}, "'DIR.LST' is not a directory"},
      {{"--areas", "fields", "out"},
       "'fields' line 3: more than a listing, a description and a directory (fields separated "
       "by TABs)"},
  };
  // An area file whose line 3 has a fourth field.
  write_file(board.dir / "fields",
             "# three at most\nc/pcb/Dir/dir1\tone\tc\nc/pcb/Dir/dir1\t\tc\tx\n");
  for (const Case& c : cases) {
    Outcome run = tolvboard(board.dir, c.args);
    EXPECT_EQ(run.status, 2) << testing::PrintToString(c.args);
    EXPECT_EQ(run.errors.substr(0, run.errors.find('\n')), "tolvboard: " + c.message);
    EXPECT_EQ(run.output, "");
  }
  // A --converter that cannot be run is refused, even for a dry run, and no
  // other converter is tried.
  for (const char* converter : {"DIR.LST", "c", "nosuch"}) {
    for (const char* mode : {"--dupe", "--dry-run"}) {
      Outcome run = tolvboard(board.dir, {"--converter", converter, mode, "DIR.LST", "out"});
      EXPECT_EQ(run.status, 2) << converter;
      EXPECT_EQ(run.errors, "tolvboard: --converter '" + std::string(converter) +
                                "' is not an executable file\n");
      EXPECT_FALSE(file_exists(board.dir / "out/tolvboard.log"));
    }
  }
  // What is not a DIR.LST is refused whole, in one line, nothing made.
  write_file(board.dir / "short", read_file(board.dir / "DIR.LST") + "C:\\SHORT");
  write_file(board.dir / "lines", dir_list_record("C:\\PCB\\DIR\\DIR1", "Two\nlines"));
  for (const char* list : {"short", "lines"}) {
    Outcome run = tolvboard(board.dir, {board.map(), list, "fresh"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(
        std::regex_match(run.errors, std::regex("tolvboard: '\\w+' is not a DIR.LST: .*\n")))
        << run.errors;
    EXPECT_FALSE(file_exists(board.dir / "fresh"));
  }
  EXPECT_EQ(tolvboard(board.dir, {"-V"}).output,
            "tolvboard (TOLVCONV) " TOLV_VERSION "\nCopyright (C) 2026 The TOLVCONV Authors\n");
}

}  // namespace
}  // namespace tolv::test
