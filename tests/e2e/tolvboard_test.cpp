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
#include <memory>
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
#include "tolvboard/journal_frame.h"
#include "tolvboard/journal_record.h"

namespace tolv::test {
namespace {

// Runs tolvboard in `dir`, which is all of PATH and holds no tolvconv,
// with COLUMNS set to `columns` (none: unset).
Outcome tolvboard(const TempDir& dir, const std::vector<std::string>& args,
                  const char* columns = nullptr) {
  std::vector<std::string> argv = program_argv(TOLVBOARD_BINARY, args);
  return run_in_child(
      [&] {
        setenv("PATH", dir.path.c_str(), 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        if (columns != nullptr)
          setenv("COLUMNS", columns, 1);
        else
          unsetenv("COLUMNS");
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
    if (blocked) mkdir((dir / "out/GAMES.dir").c_str(), 0755);
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

// As it stands (--as-is), each listing gives the base tolvconv makes of it
// by hand.
TEST(Tolvboard, ConvertsEveryAreaAndSaysWhatBecameOfEach) {
  Board board;
  Outcome run = tolvboard(board.dir, {board.map(), "--as-is", "--json", "DIR.LST", "out"});
  EXPECT_EQ(run.status, 1);
  // The unmapped drive is named before the first area, and fails its area.
  EXPECT_EQ(run.errors,
            "tolvboard: no --map for drive D: (area 4); add --map D:=DIRECTORY for "
            "their areas\n");
  std::string c = board.dir.path + "/c/pcb/Dir/";
  std::string lines[] = {
      "{\"area\": 1, \"description\": \"Utilities \xC3\x86\", \"listing\": \"" + c +
          "dir1\", \"base\": \"out/DIR1\", \"status\": \"converted\", \"appended\": 6,"
          " \"skipped\": 0, \"findings\": 0, \"exit\": 0, \"message\": null,"
          " \"files\": \"C:\\\\FILES\", \"layout\": \"pcboard\", \"not_carried\": null,"
          " \"dropped\": null, \"exact\": true, \"described\": null, \"orphans_written\": null,"
          " \"missing_files\": 4, \"sizes_differ\": 1, \"orphans\": 1, \"dates_differ\": null,"
          " \"others\": 0}",
      "{\"area\": 2, \"description\": \"Games\", \"listing\": \"" + c +
          "Games\", \"base\": \"out/GAMES\", \"status\": \"failed\", \"appended\": 0,"
          " \"skipped\": 0, \"findings\": 0, \"exit\": 6, \"message\": \"Runtime error 6 at 0x",
      "{\"area\": 3, \"description\": \"Gone\", \"listing\": \"" + c +
          "DIR3\", \"base\": \"out/DIR3\", \"status\": \"missing\", \"appended\": 0,"
          " \"skipped\": 0, \"findings\": null, \"exit\": null, \"message\": \"cannot open '" +
          c + "DIR3': No such file or directory\",",
      "{\"area\": 4, \"description\": \"Elsewhere\", \"listing\": \"D:\\\\DIR4\", \"base\": "
      "\"\", \"status\": \"failed\", \"appended\": 0, \"skipped\": 0, \"findings\": null,"
      " \"exit\": null, \"message\": \"its listing 'D:\\\\DIR4': drive D: has no --map (add --map "
      "D:=DIRECTORY)\","
      " \"files\": \"C:\\\\FILES\", \"layout\": null,",
      "{\"areas\": 4, \"converted\": 1, \"exists\": 0, \"missing\": 1, \"failed\": 2, "
      "\"appended\": 6, "
      "\"skipped\": 0,"
      " \"findings\": 0, \"not_carried\": null, \"dropped\": null, \"inexact\": 0,"
      " \"missing_files\": 4, \"sizes_differ\": 1, \"orphans\": 1, \"dry_run\": false}\n",
  };
  size_t at = 0;
  for (const std::string& line : lines) {
    size_t found = run.output.find(line, at);
    EXPECT_EQ(found, at) << "expected at byte " << at << ": " << line << "\nin:\n" << run.output;
    at = run.output.find('\n', at) + 1;
  }
  EXPECT_EQ(base_bytes(board, "DIR1"), direct_conversion(board.dir / "c/pcb/Dir/dir1"));
  std::string log = read_file(board.dir / "out/tolvboard.log");
  char* beside = realpath(TOLVCONV_BINARY, nullptr);
  ASSERT_NE(beside, nullptr);
  EXPECT_NE(log.find("\n== tolvboard: DIR.LST into out, by " + std::string(beside) + " ==\n"),
            std::string::npos)
      << log;
  free(beside);
  for (const char* header : {"== area 1: ", "== area 2: ", "== area 3: ", "== area 4: "})
    EXPECT_NE(log.find(header), std::string::npos) << header;
  EXPECT_NE(log.find("\ntolvboard: not converted: cannot open '" + c + "DIR3': No such file"),
            std::string::npos)
      << log;
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
  // In the table, the failed area's status says what its code means, the
  // run-time error line staying in the log; the listing of the unmapped
  // drive is named in its reason.
  run = tolvboard(board.dir, {board.map(), "--as-is", "DIR.LST", "out"}, "60");
  std::string flat = std::regex_replace(run.output, std::regex("\n {8}"), " ");
  for (std::string reason :
       {std::string("exit 6: a file of the base cannot be written (a read-only file system, or a "
                    "directory in its place?)\n"),
        std::string("its listing 'D:\\DIR4': drive D: has no --map (add --map D:=DIRECTORY)\n")})
    EXPECT_NE(flat.find("\n      " + reason), std::string::npos) << reason << run.output;
  EXPECT_EQ(run.output.find("Runtime error"), std::string::npos) << run.output;
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
  mkdir((dir / "c/SUB").c_str(), 0755);
  write_file(dir / "c/SUB/DIR\x82\xff", read_file(TOLV_SOURCE_DIR "/examples/sample.lst"));
  ASSERT_EQ(mkfifo((dir / "c/FIFO").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", (dir / "c/ZERO").c_str()), 0);
  auto record = [](std::string listing, std::string files, std::string text) {
    return listing.append(30 - listing.size(), ' ') + files.append(30 - files.size(), ' ') +
           text.append(35 - text.size(), ' ') + '\0';
  };
  write_file(dir / "DIR.LST",
             record("C:\\DIR\x82\xff", "C:\\" + high.substr(0, 27), high.substr(27, 35)) +
                 record("C:\\FIFO", "C:\\" + high.substr(62, 27), high.substr(89, 35)) +
                 record("C:\\ZERO", "", "") + record("C:\\SUB\\DIR\x82\xff", "", high.substr(124)));
  write_file(dir / "check.py",
             "import json, os, sys\n"
             "for line in open(sys.argv[1], encoding='utf-8', errors='strict'):\n"
             "    o = json.loads(line)\n"
             "    if 'area' in o:\n"
             "        print(o['area'], o['status'], os.fsencode(o['listing']).endswith("
             "sys.argv[2].encode('utf-8', 'surrogateescape')), o['message'])\n");
  for (const char* mode : {"--dry-run", "--json"}) {
    Outcome run = tolvboard(
        dir, {"--map=C:=" + dir.path + "/c", "--as-is", "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1) << run.errors;
    write_file(dir / "out.jsonl", run.output);
    Outcome check = run_binary(
        {"/bin/sh", "-c", "python3 check.py out.jsonl \"$0\"", "/DIR\x82\xff"}, "", dir.path, true);
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
  // The journal names those bases (one listing name in two directories:
  // two names) with their bytes: --undo removes them.
  EXPECT_TRUE(file_exists(dir / "out/SUB-DIR\x82\xff.des"));
  Outcome undo = tolvboard(dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.output << undo.errors;
  EXPECT_EQ(run_binary({"/bin/sh", "-c", "ls out | grep -c '\\.de[s]$'"}, "", dir.path).output,
            "0\n")
      << undo.output;
}

TEST(Tolvboard, ADupeRunAgainAppendsNothingAndADryRunWritesNothing) {
  Board board(false);
  ASSERT_EQ(tolvboard(board.dir, {board.map(), "--as-is", "DIR.LST", "out"}).status, 1);
  std::string first[] = {base_bytes(board, "DIR1"), base_bytes(board, "GAMES")};
  EXPECT_EQ(first[1], direct_conversion(board.dir / "c/pcb/Dir/Games"));

  // Without --dupe or --append, run or previewed, a base that holds records
  // is left as it was.
  for (const char* mode : {"--json", "--dry-run"}) {
    Outcome run = tolvboard(board.dir, {board.map(), "--as-is", "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(
                  "\"exists\", \"appended\": 0, \"skipped\": 0, \"findings\": null, \"exit\": "
                  "null, \"message\": \"holds 2 records; --dupe skips files it holds, "
                  "--append appends regardless\""),
              std::string::npos)
        << run.output;
    EXPECT_EQ(base_bytes(board, "DIR1") + base_bytes(board, "GAMES"), first[0] + first[1]);
  }

  // What a dry run says a --dupe run appends is what the run then does.
  for (const char* mode : {"--dry-run", "--json"}) {
    Outcome run =
        tolvboard(board.dir, {board.map(), "--as-is", "--dupe", "--json", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1) << mode;
    EXPECT_NE(run.output.find("\"area\": 1,"), std::string::npos) << run.output;
    for (const char* counts :
         {"\"appended\": 0, \"skipped\": 6,", "\"appended\": 0, \"skipped\": 2,"})
      EXPECT_NE(run.output.find(counts), std::string::npos) << mode << ": " << run.output;
    EXPECT_EQ(base_bytes(board, "DIR1"), first[0]);
    EXPECT_EQ(base_bytes(board, "GAMES"), first[1]);
  }

  // --append appends all the same, unless --dupe wins.
  tolvboard(board.dir, {board.map(), "--as-is", "--append", "--dupe", "DIR.LST", "out"});
  EXPECT_EQ(base_bytes(board, "GAMES"), first[1]);
  tolvboard(board.dir, {board.map(), "--as-is", "--append", "DIR.LST", "out"});
  EXPECT_EQ(read_file(board.dir / "out/GAMES.dir").size(), 2 * 2 * 120u);

  // A dry run into a directory that does not exist leaves it so.
  Outcome dry = tolvboard(board.dir, {board.map(), "--as-is", "--dry-run", "DIR.LST", "new"});
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
  EXPECT_NE(run.output.find("   1  Utilities   ...Dir/dir1  out/DIR1  "), std::string::npos)
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
  EXPECT_NE(run.output.find("  out/UP  "), std::string::npos) << run.output;
  EXPECT_TRUE(file_exists(board.dir / "out/UP.dir"));
  std::string log = read_file(board.dir / "out/tolvboard.log");
  EXPECT_TRUE(std::regex_search(
      log, std::regex("^== \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}: \\S+/tolvboard "
                      "--areas areas out ==\n")))
      << log;
  EXPECT_TRUE(
      log.ends_with("\n== 5 areas: 2 converted, 0 exist, 2 missing, 1 failed; 8 records "
                    "appended, 0 skipped, 0 findings; 0 entries not carried, 4 lines dropped ==\n"))
      << log;
  EXPECT_NE(log.find("== area 4: c/x\\x0D== area 9 ==\\x1B/y ==\ntolvboard: not converted: "
                     "cannot open 'c/x\\x0D== area 9 ==\\x1B/y': No such file or directory\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(
      std::count_if(log.begin(), log.end(), [](unsigned char b) { return b < 0x20 && b != 10; }),
      0);

  // Piped, the table fits COLUMNS, or --width, which wins; a width under
  // the table's narrowest is taken as that. Whatever is cut, every row
  // starts with its area's number whole.
  struct Width {
    const char* columns;
    std::vector<std::string> args;
    size_t width;
    int same_as = -1;  // a case whose table this one is
  } widths[] = {{"60", {}, 60},    {"132", {}, 132},
                {nullptr, {}, 80}, {"60", {"--width=100"}, 100},
                {"20", {}, 60, 0}, {"many", {}, 80, 2}};
  std::vector<std::string> tables;
  for (const Width& w : widths) {
    std::vector<std::string> args = w.args;
    args.insert(args.end(), {"--dry-run", "--areas", "areas", "out"});
    Outcome dry = tolvboard(board.dir, args, w.columns);
    EXPECT_EQ(dry.status, 1) << dry.errors;
    size_t widest = 0, rows = 0;
    for (size_t at = 0, end; (end = dry.output.find('\n', at)) != std::string::npos; at = end + 1) {
      widest = std::max(widest, end - at);
      rows += std::regex_match(dry.output.substr(at, end - at), std::regex("   [1-5]  .*"));
    }
    EXPECT_LE(widest, w.width) << dry.output;
    EXPECT_GE(widest + 8, w.width) << dry.output;  // the width is used
    EXPECT_EQ(rows, 5u) << dry.output;
    if (w.same_as >= 0) {
      EXPECT_EQ(dry.output, tables[w.same_as]) << w.columns;
    }
    tables.push_back(dry.output);
  }
}

// The converter --converter names runs for each area, reading the listing
// it is given on its standard input; what it writes reaches the log with
// its control bytes escaped.
TEST(Tolvboard, ConverterOptionRunsThatProgramAndTheLogNamesIt) {
  Board board(false);
  write_file(board.dir / "areas", "c/pcb/Dir/dir1\tUtilities\n");
  write_file(board.dir / "fake",
             "#!/bin/sh\nprintf 'fake: %s \\a\\n' \"$*\"\nn=0\nwhile read -r l; do n=$((n + 1)); "
             "done <\"$1\"\necho $n\n");
  chmod((board.dir / "fake").c_str(), 0755);
  Outcome run = tolvboard(board.dir, {"--converter=./fake", "--as-is", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  EXPECT_FALSE(file_exists(board.dir / "out/dir1.dir"));  // the real tolvconv did not run
  std::string log = read_file(board.dir / "out/tolvboard.log");
  std::string listing = read_file(board.dir / "c/pcb/Dir/dir1");
  EXPECT_EQ(
      log.substr(log.find('\n') + 1),
      "== tolvboard: areas into out, by ./fake ==\n"
      "== area 1: c/pcb/Dir/dir1 -> out/dir1 ==\n"
      "fake: /dev/stdin out/dir1 \\x07\n" +
          std::to_string(std::count(listing.begin(), listing.end(), '\n')) +
          "\n"
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
  start("first", "--as-is --converter=./slow");
  ASSERT_TRUE(eventually([&] { return file_exists(board.dir / "started"); }));
  Outcome second = tolvboard(board.dir, {"--dupe", "--areas", "areas", "out"});
  EXPECT_EQ(second.status, 2);
  EXPECT_TRUE(std::regex_match(second.errors, std::regex("tolvboard: 'out' is in use by tolvboard "
                                                         "run \\d+, started [-0-9: +]+: \\S+/"
                                                         "tolvboard --as-is --converter=./slow "
                                                         "--areas areas out\n")))
      << second.errors;
  start("third", "--as-is --wait --dupe");
  ASSERT_TRUE(eventually(
      [&] { return read_file(board.dir / "third").find("waiting") != std::string::npos; }));
  write_file(board.dir / "go", "");
  ASSERT_TRUE(eventually([&] { return file_exists(board.dir / "third.status"); }));
  EXPECT_EQ(read_file(board.dir / "first.status") + read_file(board.dir / "third.status"),
            "0\n0\n");
  EXPECT_EQ(base_bytes(board, "dir1"), direct_conversion(board.dir / "c/pcb/Dir/dir1"));
}

// A DIR.LST path with "..", a path rooted without a drive and without
// --map for it, a base whose file is a symbolic link, a listing and a
// DskPath reached through links that lead out of the mapped tree: refused
// for their area, nothing written for it. A link inside the tree is
// followed.
TEST(Tolvboard, PathsOutOfTheBoardOrOutdirAreRefusedForTheirArea) {
  Board board(false);
  std::string dir = board.dir / "c/pcb/Dir/";
  write_file(board.dir / "elsewhere", read_file(dir + "Games"));
  ASSERT_EQ(symlink((board.dir / "elsewhere").c_str(), (dir + "OUTLINK").c_str()), 0);
  ASSERT_EQ(symlink((dir + "Games").c_str(), (dir + "INLINK").c_str()), 0);
  ASSERT_EQ(symlink(board.dir.path.c_str(), (board.dir / "c/FLINK").c_str()), 0);
  write_file(board.dir / "DIR.LST", dir_list_record("\\PCB\\DIR\\DIR1", "") +
                                        dir_list_record("C:\\PCB\\..\\PCB\\DIR\\GAMES", "") +
                                        dir_list_record("C:\\PCB\\DIR\\GAMES", "", "C:\\..") +
                                        dir_list_record("C:\\PCB\\DIR\\GAMES", "") +
                                        dir_list_record("C:\\PCB\\DIR\\OUTLINK", "") +
                                        dir_list_record("C:\\PCB\\DIR\\DIR1", "", "C:\\FLINK") +
                                        dir_list_record("C:\\PCB\\DIR\\INLINK", ""));
  ASSERT_EQ(symlink((board.dir / "outside").c_str(), (board.dir / "out/GAMES.des").c_str()), 0);
  Outcome run = tolvboard(board.dir, {board.map(), "--json", "DIR.LST", "out"});
  std::string c = board.dir / "c";
  for (std::string message :
       {std::string("has no --map (add --map '\\\\=DIRECTORY')\""),
        std::string("\"its listing path 'C:\\\\PCB\\\\..\\\\PCB\\\\DIR\\\\GAMES' has a '..' "
                    "component; it is not followed\""),
        std::string("\"its DskPath 'C:\\\\..' has a '..' component; it is not followed\""),
        std::string("GAMES.des' is a symbolic link; nothing is written through it\""),
        "\"'" + dir + "OUTLINK' leads out of '" + c + "' (to '" + board.dir / "elsewhere" +
            "'); it is not followed\"",
        "\"its files' directory: '" + c + "/FLINK' leads out of '" + c + "' (to '" +
            board.dir.path + "'); it is not followed\"",
        std::string("\"converted\": 1, \"exists\": 0, \"missing\": 0, \"failed\": 6")})
    EXPECT_NE(run.output.find(message), std::string::npos) << message << "\n" << run.output;
  EXPECT_FALSE(file_exists(board.dir / "outside") || file_exists(board.dir / "out/OUTLINK.dir") ||
               file_exists(board.dir / "out/DIR1.dir"));
  EXPECT_TRUE(file_exists(board.dir / "out/INLINK.dir"));
  tolvboard(board.dir,
            {board.map(), "--map", "\\=" + board.dir / "c", "--as-is", "DIR.LST", "out"});
  EXPECT_EQ(base_bytes(board, "DIR1"), direct_conversion(board.dir / "c/pcb/Dir/dir1"));
}

// ------------------------------------------------------------------ undo

// The board converted twice, as it stands: the second run, given --append,
// appends every file again.
std::string board_twice(const Board& board) {
  EXPECT_EQ(tolvboard(board.dir, {board.map(), "--as-is", "DIR.LST", "out"}).status, 1);
  std::string first = base_bytes(board, "DIR1") + base_bytes(board, "GAMES");
  EXPECT_EQ(tolvboard(board.dir, {board.map(), "--as-is", "--append", "DIR.LST", "out"}).status, 1);
  return first;
}

const std::string kUndone =
    "undone: out/DIR1: back to 6 records, 491 description bytes\n"
    "undone: out/GAMES: back to 2 records, 9 description bytes\n"
    "2 bases undone, 0 left alone, 0 unchanged by the run\n";

// Output after the line naming the run.
std::string undo_report(const Outcome& run) {
  EXPECT_LT(run.output.find(" the run of "), run.output.find('\n')) << run.output;
  return run.output.substr(run.output.find('\n') + 1);
}

TEST(Tolvboard, UndoTakesBackTheLastRunByteForByteThenTheOneBefore) {
  Board board(false);
  std::string first = board_twice(board);
  std::string second = base_bytes(board, "DIR1") + base_bytes(board, "GAMES");
  // A third run changes nothing; taken back, it holds back no run before.
  ASSERT_EQ(tolvboard(board.dir, {board.map(), "--as-is", "--dupe", "DIR.LST", "out"}).status, 1);
  EXPECT_EQ(undo_report(tolvboard(board.dir, {"--undo", "out"})),
            "0 bases undone, 0 left alone, 2 unchanged by the run\n");
  // A dry run says what an undo would do, and does nothing.
  Outcome undo = tolvboard(board.dir, {"--undo", "--dry-run", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_EQ(undo.output.rfind("would undo the run of ", 0), 0u) << undo.output;
  EXPECT_EQ(undo_report(undo),
            "would be undone: out/DIR1: back to 6 records, 491 description bytes\n"
            "would be undone: out/GAMES: back to 2 records, 9 description bytes\n"
            "2 bases would be undone, 0 left alone, 0 unchanged by the run\n");
  EXPECT_EQ(base_bytes(board, "DIR1") + base_bytes(board, "GAMES"), second);

  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_NE(undo.output.find(" UTC: tolvboard --map C:=" + board.dir.path +
                             "/c --as-is --append DIR.LST out\n"),
            std::string::npos)
      << undo.output;
  EXPECT_EQ(undo_report(undo), kUndone);
  EXPECT_EQ(base_bytes(board, "DIR1") + base_bytes(board, "GAMES"), first);

  // The first run made both bases: they go, and OUTDIR is as before it.
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_EQ(undo_report(undo),
            "undone: out/DIR1: its files removed: the run made them\n"
            "undone: out/GAMES: its files removed: the run made them\n"
            "2 bases undone, 0 left alone, 0 unchanged by the run\n");
  for (const char* file : {"DIR1.dir", "DIR1.des", "GAMES.dir", "GAMES.des"})
    EXPECT_FALSE(file_exists(board.dir / ("out/" + std::string(file)))) << file;
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo.errors,
            "tolvboard: nothing left to undo: every run in 'out/tolvboard.wal' is undone\n");
}

// A base that another program changed after the run is named and left as
// it is; the other is undone. Undoing the run before leaves it alone too.
TEST(Tolvboard, UndoLeavesABaseChangedSinceTheRun) {
  enum Change { kAppended, kTouched, kReplaced, kLinked };
  struct Case {
    Change change;
    std::string why;  // the start of the reason
  } cases[] = {
      {kAppended,
       "changed since the run: its description file has 983 bytes, not the 982 the journal "
       "expects"},
      {kTouched, "changed since the run: its record file was written at 2001-09-09 01:46:40 UTC"},
      {kReplaced, "changed since the run: its record file is another file than the journal names"},
      {kLinked, "changed since the run: its record file is another file than the journal names"},
  };
  for (const Case& c : cases) {
    Board board(false);
    board_twice(board);
    std::string dir = board.dir / "out/DIR1.dir", des = board.dir / "out/DIR1.des";
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
    std::string changed = base_bytes(board, "DIR1");
    Outcome undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 1) << c.why;
    std::string report = undo_report(undo);
    EXPECT_EQ(report.rfind("left alone: out/DIR1: " + c.why, 0), 0u) << report;
    EXPECT_NE(report.find("\nundone: out/GAMES: back to 2 records, 9 description bytes\n"
                          "1 base undone, 1 left alone, 0 unchanged by the run\n"),
              std::string::npos)
        << report;
    EXPECT_EQ(base_bytes(board, "DIR1"), changed) << c.why;

    undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 1) << c.why;
    report = undo_report(undo);
    EXPECT_EQ(report.rfind("left alone: out/DIR1: ", 0), 0u) << report;
    EXPECT_NE(report.find("\nundone: out/GAMES: its files removed"), std::string::npos) << report;
    EXPECT_EQ(base_bytes(board, "DIR1"), changed) << c.why;
  }
}

// A base whose lock a program holds (a tolvconv left running by a run that
// was killed) is not left to it: the run stays to be undone, and the next
// --undo, once the lock is free, takes the base back.
TEST(Tolvboard, UndoWaitsOutABaseAProgramHolds) {
  Board board(false);
  std::string first = board_twice(board);
  std::string des = board.dir / "out/DIR1.des";
  int held = ::open(des.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  Outcome undo = tolvboard(board.dir, {"--undo", "out"});
  ::close(held);
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo_report(undo),
            "not undone: out/DIR1: 'out/DIR1.des' is locked: a conversion is writing the base, "
            "or a program is reading it; --undo again once it is free\n"
            "undone: out/GAMES: back to 2 records, 9 description bytes\n"
            "1 base undone, 0 left alone, 0 unchanged by the run\n");
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_EQ(undo_report(undo),
            "undone: out/DIR1: back to 6 records, 491 description bytes\n"
            "undone: out/GAMES: by an undo that stopped before the end\n"
            "2 bases undone, 0 left alone, 0 unchanged by the run\n");
  EXPECT_EQ(base_bytes(board, "DIR1") + base_bytes(board, "GAMES"), first);
}

// The journal's records, its RUN first: what a test edits and writes again
// with its checksums made anew, as one who knows the format could.
std::vector<std::string> journal_records(const std::string& path) {
  std::string bytes = read_file(path);
  std::vector<std::string> records;
  for (const Frame& frame : scan_frames(bytes).frames)
    records.push_back(frame_record(frame.type, frame.payload));
  return records;
}

// A journal --undo cannot trust changes nothing: one line, status 2; one
// whose sizes do not fit the base cuts nothing.
TEST(Tolvboard, UndoRefusesAJournalItCannotTrust) {
  const std::string journal = "out/tolvboard.wal", damaged = "tolvboard: '" + journal + "' is ";
  Board board(false);
  board_twice(board);
  std::string second = base_bytes(board, "DIR1") + base_bytes(board, "GAMES");
  const std::string whole = read_file(board.dir / journal);
  std::vector<std::string> records = journal_records(board.dir / journal);
  // The intent of DIR1 in the second run: its 6 records before made 5.
  IntentRecord intent;
  std::string edited;
  for (const std::string& record : records) {
    std::string_view payload(record.data() + kFrameHeader, record.size() - kFrameHeader);
    bool second_intent = record[8] == static_cast<char>(RecordType::Intent) &&
                         decode(payload, intent) && intent.run == 2 && intent.base == "DIR1";
    if (second_intent) intent.before.records.size -= 120;
    edited += second_intent ? encode(intent) : record;
  }
  struct Case {
    std::string bytes, error;
  } cases[] = {
      {whole.substr(0, 200) + static_cast<char>(whole[200] ^ 1) + whole.substr(201),
       damaged + "damaged: the record at byte 115 fails its check (CRC-32C): it was changed after "
                 "it was written; nothing undone"},
      {"{\"kind\": \"run\"}\n",
       damaged + "damaged: it does not start with TOLVJNL1; nothing undone"},
  };
  for (const Case& c : cases) {
    write_file(board.dir / journal, c.bytes);
    Outcome undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 2) << c.error;
    EXPECT_EQ(undo.errors, c.error + "\n");
    EXPECT_EQ(undo.output, "");
    EXPECT_EQ(read_file(board.dir / journal), c.bytes);
  }
  write_file(board.dir / journal, std::string(kJournalMark) + edited);
  Outcome undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo_report(undo).rfind("not undone: out/DIR1: record 5, the first the run added, has "
                                    "its text at byte 412, not at byte 491",
                                    0),
            0u)
      << undo.output;
  EXPECT_EQ(base_bytes(board, "DIR1"), second.substr(0, base_bytes(board, "DIR1").size()));

  // From another directory, none at all, or only the earlier release's.
  write_file(board.dir / journal, whole);
  ASSERT_EQ(rename((board.dir / "out").c_str(), (board.dir / "moved").c_str()), 0);
  mkdir((board.dir / "out").c_str(), 0755);
  ASSERT_EQ(rename((board.dir / "moved/tolvboard.wal").c_str(), (board.dir / journal).c_str()), 0);
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.errors, "tolvboard: '" + journal +
                             "' was written in another directory than 'out' (copied or moved "
                             "here; the run at byte 8); nothing undone\n");
  unlink((board.dir / journal).c_str());
  EXPECT_EQ(tolvboard(board.dir, {"--undo", "out"}).errors,
            "tolvboard: 'out' has no tolvboard.wal: no run of tolvboard to undo there\n");
  write_file(board.dir / "out/tolvboard.journal", "{\"kind\": \"run\"}\n");
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo.errors.rfind("tolvboard: 'out/tolvboard.journal' was written by an earlier "
                              "release of tolvboard, whose runs this one does not take back",
                              0),
            0u);
}

// A cut that fails half way stops the undo of that base only, and the run
// stays to be undone: the next --undo takes up what is left.
TEST(Tolvboard, AnUndoCutShortByAFailureIsTakenUpAgain) {
  Board board(false);
  std::string first = board_twice(board);
  std::string out = board.dir / "out";
  // The lock file's, then DIR1's record file, then its description file.
  Outcome undo = test::run_companion_in_child(tolvboard_program(), {"--undo", out},
                                              {{test::nth_call(test::Call::Ftruncate, 3), EIO}});
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo_report(undo), "not undone: " + out + "/DIR1: cannot cut '" + out +
                                   "/DIR1.des': Input/output error\n"
                                   "undone: " +
                                   out +
                                   "/GAMES: back to 2 records, 9 description bytes\n"
                                   "1 base undone, 0 left alone, 0 unchanged by the run\n");
  EXPECT_EQ(undo.errors,
            "tolvboard: the run is not marked undone: --undo again takes up the bases left to "
            "undo\n");
  EXPECT_EQ(read_file(out + "/DIR1.dir").size(), 6 * 120u);  // cut half way
  undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 0) << undo.errors;
  EXPECT_EQ(undo_report(undo),
            "undone: out/DIR1: back to 6 records, 491 description bytes\n"
            "undone: out/GAMES: by an undo that stopped before the end\n"
            "2 bases undone, 0 left alone, 0 unchanged by the run\n");
  EXPECT_EQ(base_bytes(board, "DIR1") + base_bytes(board, "GAMES"), first);
}

// ------------------------------------------------ runs cut short, taken back

// A board of three areas: the sample, a listing of 20,000 entries (so that
// an area takes long enough to be stopped within), and a small one. Its
// bases as a clean first run leaves them are `bases`.
struct BigBoard {
  TempDir dir;
  std::string bases;
  BigBoard() {
    mkdir((dir / "c").c_str(), 0755);
    write_file(dir / "c/DIR1", read_file(TOLV_SOURCE_DIR "/examples/sample.lst"));
    std::string big;
    for (int i = 0; i < 20000; ++i) {
      char name[16];
      snprintf(name, sizeof name, "F%d.ZIP", i);
      big.append(entry_line(name, "1000", "01-15-95", "A file")).append("\r\n");
    }
    write_file(dir / "c/BIG", big);
    write_file(dir / "c/LAST", entry_line("ONE.ZIP", "10", "01-15-95", "One") + "\r\n");
    write_file(dir / "areas", "c/DIR1\nc/BIG\nc/LAST\n");
    EXPECT_EQ(tolvboard(dir, {"--areas", "areas", "out"}).status, 0);
    bases = all_bases();
  }
  std::string all_bases() const {
    std::string bytes;
    for (const char* name : {"DIR1", "BIG", "LAST"})
      bytes += read_file(dir / ("out/" + std::string(name) + ".dir")) + "|" +
               read_file(dir / ("out/" + std::string(name) + ".des")) + "|";
    return bytes;
  }
  // A converter that runs tolvconv and, for the area BIG, does `then` to
  // its parent (the board's run) while BIG's conversion is under way.
  void converter(const std::string& then) const {
    write_file(dir / "conv", "#!/bin/sh\ncase \"$2\" in */BIG) ;; *) exec " +
                                 std::string(TOLVCONV_BINARY) + " \"$@\";; esac\n" + then + "\n");
    chmod((dir / "conv").c_str(), 0755);
  }
  // Waits until no conversion holds BIG's lock (an orphaned one ends).
  void settled() const {
    int fd = ::open((dir / "out/BIG.des").c_str(), O_RDONLY | O_CLOEXEC);
    flock(fd, LOCK_EX);
    ::close(fd);
  }
};

// Whatever stops a run after its intent for an area, --undo gives every
// base back as it was before the run: a kill after an area and within
// one (tolvconv then goes on, orphaned, to its end), and SIGTERM within
// one (tolvboard ends tolvconv, journals the area and says so).
TEST(Tolvboard, ARunKilledOrInterruptedIsTakenBackByteForByte) {
  std::string under_way = std::string(
      "(while [ \"$(/usr/bin/stat -c %s out/BIG.dir)\" -le 2400000 ]; "
      "do /bin/sleep 0.005; done; kill -");
  struct Case {
    std::string then;  // what the converter does for BIG
    int signal;        // what ends tolvboard; -15: it exits with 128 + 15
    std::string errors;
  } cases[] = {
      {std::string(TOLVCONV_BINARY) + " \"$@\"; kill -9 $PPID", 9, ""},
      {under_way + "9 $PPID) &\nexec " + TOLVCONV_BINARY + " \"$@\"", 9, ""},
      {under_way + "TERM $PPID) &\nexec " + TOLVCONV_BINARY + " \"$@\"", -15,
       "tolvboard: interrupted by SIGTERM during area 2 (c/BIG), whose converter was ended; "
       "tolvboard --undo out takes the run back\n"},
  };
  for (const Case& c : cases) {
    BigBoard board;
    board.converter(c.then);
    Outcome run = tolvboard(
        board.dir, {"--converter=./conv", "--append", "--json", "--areas", "areas", "out"});
    EXPECT_EQ(c.signal > 0 ? run.signal : run.status, c.signal > 0 ? c.signal : 143) << c.then;
    EXPECT_EQ(run.errors, c.errors);
    // Interrupted, tolvboard ended its converter rather than wait for it.
    if (c.signal < 0) {
      EXPECT_NE(run.output.find("\"status\": \"failed\", \"appended\": "), std::string::npos);
      EXPECT_NE(run.output.find(", \"exit\": null, \"message\": \"interrupted by SIGTERM; "
                                "tolvboard --undo takes the run back\""),
                std::string::npos)
          << run.output;
    }
    board.settled();
    EXPECT_NE(board.all_bases(), board.bases) << c.then;
    Outcome undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 0) << undo.output << undo.errors;
    EXPECT_NE(undo.output.find("undone: out/BIG: back to 20000 records"), std::string::npos)
        << undo.output;
    EXPECT_EQ(board.all_bases(), board.bases) << c.then;
  }
}

// Through the seam: a base whose sync fails stops the run, and its area,
// journaled only by its intent, is taken back; an intent written and the
// converter never run leaves the base unchanged; a journal cut short by a
// full disk (and the end of the process) still undoes its whole records.
TEST(Tolvboard, FailuresOfTheJournalsOrdersAreTakenBackWhole) {
  // The outcome's write is cut short, then the process ends at the next.
  constexpr size_t kOutcomeRecord = kFrameHeader + 88;
  auto cut = std::make_shared<bool>(false);
  auto outcome_write = [cut](const CallInfo& call) {
    return *cut = call.kind == Call::Write && call.count == kOutcomeRecord;
  };
  auto any_write = [cut](const CallInfo& call) { return *cut && call.kind == Call::Write; };
  struct Case {
    std::vector<Fault> faults;
    int status;
    std::string says;  // in the run's errors
    std::string undone;
  } cases[] = {
      {{{nth_call(Call::Fsync, 1), EIO}},
       2,
       "the run stopped: cannot sync '",
       "undone: OUT/DIR1: back to 6 records, 491 description "
       "bytes (the run was stopped in this area)\n"},
      {{Fault{nth_call(Call::Fdatasync, 2), 0, -1, true, -1, false, -1, 0, 137}},
       137,
       "",
       "0 bases undone, 0 left alone, 1 unchanged by the run\n"},
      {{Fault{outcome_write, 0, 40}, Fault{any_write, 0, -1, true, -1, false, -1, 0, 137}},
       137,
       "",
       "undone: OUT/DIR1: back to 6 records, 491 description bytes (the run was stopped in "
       "this area)\n"},
      // The disk fills within the record and the run lives on: what got
      // through is cut off again, and the run stops.
      {{Fault{outcome_write, 0, 40}, Fault{any_write, ENOSPC}},
       2,
       "the run stopped: its journal cannot be written: cannot write '",
       "undone: OUT/DIR1: back to 6 records, 491 description bytes (the run was stopped in "
       "this area)\n"},
  };
  for (const Case& c : cases) {
    Board board(false);
    write_file(board.dir / "areas", board.dir / "c/pcb/Dir/dir1\n");
    std::string out = board.dir / "out";
    ASSERT_EQ(tolvboard(board.dir, {"--as-is", "--areas", "areas", "out"}).status, 0);
    std::string first = base_bytes(board, "dir1");
    Outcome run = run_companion_in_child(tolvboard_program(),
                                         {"--as-is", "--append", "--areas", board.dir / "areas",
                                          "--converter", TOLVCONV_BINARY, out},
                                         c.faults);
    EXPECT_EQ(run.status, c.status) << c.says << run.errors;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
    bool torn = c.status == 137 && c.faults.size() == 2;  // cut short and never cut back
    EXPECT_EQ(scan_frames(read_file(out + "/tolvboard.wal")).torn, torn) << c.says;
    Outcome undo = tolvboard(board.dir, {"--undo", "out"});
    EXPECT_EQ(undo.status, 0) << undo.errors;
    std::string undone = c.undone;
    if (size_t at = undone.find("OUT/DIR1"); at != std::string::npos)
      undone.replace(at, 8, "out/dir1");
    EXPECT_NE(undo_report(undo).find(undone), std::string::npos) << undo.output;
    EXPECT_EQ(base_bytes(board, "dir1"), first) << c.says;
  }
}

// An area file renumbered (its first line gone) and run again with --dupe:
// each area goes into its own base again, and none changes. A listing of
// the same name from elsewhere is not converted into a base another
// listing made.
TEST(Tolvboard, BasesKeepTheirNamesWhateverTheAreasNumbers) {
  Board board(false);
  mkdir((board.dir / "c/other").c_str(), 0755);
  write_file(board.dir / "c/other/dir1", read_file(board.dir / "c/pcb/Dir/Games"));
  write_file(board.dir / "areas", "c/pcb/Dir/Games\nc/pcb/Dir/dir1\n");
  ASSERT_EQ(tolvboard(board.dir, {"--areas", "areas", "out"}).status, 0);
  std::string first = base_bytes(board, "dir1") + base_bytes(board, "Games");
  write_file(board.dir / "areas", "c/pcb/Dir/dir1\n");
  Outcome run = tolvboard(board.dir, {"--dupe", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(base_bytes(board, "dir1") + base_bytes(board, "Games"), first);
  write_file(board.dir / "areas", "c/pcb/Dir/Games\nc/other/dir1\n");
  run = tolvboard(board.dir, {"--dupe", "--json", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("\"message\": \"its base 'out/dir1' was made from 'c/pcb/Dir/dir1', "
                            "not from this area's listing 'c/other/dir1'\""),
            std::string::npos)
      << run.output;
  EXPECT_EQ(base_bytes(board, "dir1") + base_bytes(board, "Games"), first);
}

// Another program's hand in a base during a run: a base locked by it is
// not converted (or waited for, with --wait), and records a conversion by
// hand put into the base meanwhile are not the run's, nor cut by --undo.
TEST(Tolvboard, WhatAnotherProgramWritesIsNeverTheRuns) {
  Board board(false);
  write_file(board.dir / "areas", "c/pcb/Dir/dir1\n");
  ASSERT_EQ(tolvboard(board.dir, {"--as-is", "--areas", "areas", "out"}).status, 0);
  int held = ::open((board.dir / "out/dir1.des").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  Outcome run = tolvboard(board.dir, {"--as-is", "--dupe", "--areas", "areas", "out"});
  ::close(held);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("'out/dir1.des' is locked by another program"), std::string::npos)
      << run.output;

  // The hand conversion slips in between the run's look at the base and
  // its converter.
  write_file(board.dir / "conv", std::string("#!/bin/sh\n") + TOLVCONV_BINARY +
                                     " c/pcb/Dir/Games out/dir1 >/dev/null\nexec " +
                                     TOLVCONV_BINARY + " \"$@\"\n");
  chmod((board.dir / "conv").c_str(), 0755);
  run = tolvboard(board.dir,
                  {"--as-is", "--append", "--converter=./conv", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find("  6        0         0  converted\n      another program wrote 2 "
                            "records into the base meanwhile; --undo leaves\n        it alone\n"),
            std::string::npos)
      << run.output;
  std::string mixed = base_bytes(board, "dir1");
  Outcome undo = tolvboard(board.dir, {"--undo", "out"});
  EXPECT_EQ(undo.status, 1);
  EXPECT_EQ(undo_report(undo),
            "left alone: out/dir1: another program wrote into it while the run converted it\n"
            "0 bases undone, 1 left alone, 0 unchanged by the run\n");
  EXPECT_EQ(base_bytes(board, "dir1"), mixed);
}

// A standard output that goes away (a pipe whose reader quit) ends no run:
// every area is converted and journaled, and the status says the output
// was lost.
TEST(Tolvboard, AStandardOutputThatGoesAwayEndsNoRun) {
  Board board(false);
  write_file(board.dir / "areas", "c/pcb/Dir/dir1\nc/pcb/Dir/Games\n");
  Outcome run = run_binary({"/bin/sh", "-c",
                            "(\"$0\" --areas areas out 2>errors; echo $? >status) | exec "
                            "/bin/true",
                            TOLVBOARD_BINARY},
                           "", board.dir.path);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(read_file(board.dir / "status"), "2\n");
  EXPECT_EQ(read_file(board.dir / "errors"),
            "tolvboard: cannot write standard output: Broken pipe\n");
  EXPECT_TRUE(file_exists(board.dir / "out/Games.dir") && file_exists(board.dir / "out/dir1.dir"));
  EXPECT_TRUE(read_file(board.dir / "out/tolvboard.log").ends_with(" 4 lines dropped ==\n"));
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
  int held = ::open((board.dir / ("out/" + name + ".des")).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  Outcome undo = tolvboard(board.dir, {"--undo", "out"});
  ::close(held);
  EXPECT_EQ(undo.status, 2);
  EXPECT_EQ(undo_report(undo), "not undone: out/" + shown + ": 'out/" + shown +
                                   ".des' is locked: a conversion is writing the base, or a "
                                   "program is reading it; --undo again once it is free\n0 "
                                   "bases undone, 0 left alone, 0 unchanged by the run\n");
  std::string log = read_file(board.dir / "out/tolvboard.log");
  EXPECT_NE(log.find(" -> out/" + shown + " ==\n"), std::string::npos) << log;
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
                   dir_list_record("C:\\PCB\\DIR\\DIR5", "", "C:\\PCB\\DIR\\DIR3") +
                   dir_list_record("C:\\PCB\\DIR\\DIR6", "", "C:\\NONE") +
                   dir_list_record("C:\\PCB\\DIR\\DIR7", "", "D:\\FILES"));
    for (const char* copy : {"c/pcb/dir/dir5", "c/pcb/dir/dir6", "c/pcb/dir/dir7"})
      write_file(dir / copy, read_file(dir / "c/pcb/dir/dir3"));
  }
  std::string map() const { return "--map=C:=" + dir.path + "/c"; }
};

TEST(Tolvboard, NormalizeGivesTheBasesTolvbaseNormalizeAndTolvconvGiveByHand) {
  MixedBoard board;
  mkdir((board.dir / "out").c_str(), 0755);
  write_file(board.dir / "out/DIR5.dir", "kept");  // a failed area's base stays as it was
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
    EXPECT_EQ(file_exists(board.dir / "out/SFFILES.lst"), !dry);
    EXPECT_NE(run.output.find(dry ? "\"missing_files\": null, \"sizes_differ\": null, "
                                    "\"orphans\": null, \"dry_run\": true}"
                                  : "\"missing_files\": 0, \"sizes_differ\": 0, \"orphans\": 0, "
                                    "\"dry_run\": false}"),
              std::string::npos)
        << run.output;
  }
  // Each base, listing and report is what tolvbase normalize --dir and
  // tolvconv make by hand.
  for (auto [stem, listing, files] : {std::tuple{"SFFILES", "c/pcb/dir/sffiles.1", "c/sf"},
                                      {"FB", "c/fb/FILES.BBS", "c/fb"},
                                      {"DIR3", "c/pcb/dir/dir3", "c/pcbf"}}) {
    Outcome hand = run_tolvbase({"normalize", "--dir", board.dir / files, "--report",
                                 board.dir / "report", board.dir / listing});
    write_file(board.dir / "clean.lst", hand.output);
    std::string out = board.dir / ("out/" + std::string(stem));
    EXPECT_EQ(read_file(out + ".lst"), hand.output) << stem;
    EXPECT_EQ(read_file(out + ".report"), read_file(board.dir / "report")) << stem;
    EXPECT_EQ(base_bytes(board, stem), direct_conversion(board.dir / "clean.lst")) << stem;
  }
  EXPECT_EQ(read_file(board.dir / "out/FB.report").rfind("1: dropped: ", 0), 0u);
  EXPECT_NE(read_file(board.dir / "out/FB.report").find("\n5: not-carried: 'GONE.ZIP' "),
            std::string::npos);
  EXPECT_EQ(read_file(board.dir / "out/DIR5.dir"), "kept");
  for (const char* unmade : {"out/README.lst", "out/README.dir", "out/DIR5.lst"})
    EXPECT_FALSE(file_exists(board.dir / unmade)) << unmade;

  // Again with --dupe: the dry run and the run skip every entry the bases
  // hold; under each row what the normalizer made of the listing, and once
  // converted what the check of the files found.
  for (const char* mode : {"--dry-run", "--dupe"}) {
    Outcome run =
        tolvboard(board.dir, {board.map(), "--normalize", "--dupe", mode, "DIR.LST", "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(std::regex_search(
        run.output, std::regex(" 3 +0 +converted\n {6}spitfire: 0 entries not carried, 0 lines "
                               "dropped\n")))
        << run.output;
    // The files line names the listed files the directory lacks, also
    // those the normalizer could not carry for it (GONE.ZIP): none is in
    // the base, where the check of the base alone finds none missing.
    std::string flat = std::regex_replace(run.output, std::regex("\n {8}"), " ");
    for (std::string files : {"every listed file is in '" + board.dir.path + "/c/sf', 0 sizes",
                              "1 listed file is not in '" + board.dir.path + "/c/fb', 0 sizes"})
      EXPECT_EQ(flat.find("\n      files: " + files) != std::string::npos,
                mode == std::string("--dupe"))
          << files << "\n"
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
  // As it stands, the Spitfire area loses its rule row and sizes: status 1.
  // A date that is not its file's is a note, counted on the row.
  dated_file(board.dir / "c/sf/small.txt", 12, 1999, 2, 2);
  for (auto [line, status, says, mode] :
       {std::tuple{"c/pcb/dir/sffiles.1\tSpitfire\tc/sf\n", 0,
                   "spitfire: 0 entries not carried, 0 lines dropped\n      1 date differs from "
                   "the files, the listed ones kept\n",
                   "--normalize"},
        {"c/pcb/dir/sffiles.1\tSpitfire\tc/sf\n", 1,
         "as-is: spitfire layout, 1 rule row as a record, 2 sizes as 0, not exact\n", "--as-is"},
        {"c/fb/FILES.BBS\tUploads\n", 1, "1 converted, 0 exist, 0 missing", "--normalize"},
        {"c/pcb/dir/dir3\t\tc/none/deeper\n", 1, "directory 'c/none/deeper' does not exist",
         "--normalize"}}) {
    write_file(board.dir / "areas", line);
    Outcome run = tolvboard(board.dir, {mode, "--areas", "areas", std::string("again") + mode});
    EXPECT_EQ(run.status, status) << line << run.output;
    EXPECT_NE(run.output.find(says), std::string::npos) << run.output;
  }

  // A normalized listing planted as a link to a file outside OUTDIR is not
  // followed.
  write_file(board.dir / "target", "kept");
  unlink((board.dir / "out/SFFILES.lst").c_str());
  ASSERT_EQ(symlink((board.dir / "target").c_str(), (board.dir / "out/SFFILES.lst").c_str()), 0);
  unlink((board.dir / "out/FB.lst").c_str());
  ASSERT_EQ(mkfifo((board.dir / "out/FB.lst").c_str(), 0600), 0);
  Outcome linked = tolvboard(board.dir, {board.map(), "--normalize", "--append", "DIR.LST", "out"});
  EXPECT_NE(linked.output.find("failed\n      'out/FB.lst' is a FIFO, not a regular file"),
            std::string::npos)
      << linked.output;
  EXPECT_NE(linked.output.find("failed\n      'out/SFFILES.lst' is a symbolic link; it is not "
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
  std::string listing = read_file(dir / "out/files.lst");
  EXPECT_EQ(listing.rfind("ONE.ZIP ", 0), 0u) << listing;
  EXPECT_NE(listing.find("  From its archive\r\nTWO.ZIP "), std::string::npos) << listing;
  EXPECT_NE(listing.find("  Its own words\r\nNEW.ZIP "), std::string::npos) << listing;
  EXPECT_TRUE(listing.ends_with("  From its archive\r\n")) << listing;
  EXPECT_NE(read_file(dir / "out/files.report")
                .find("0: orphan: 'FILES.BBS' is the listing read or written: not an entry\n"),
            std::string::npos);

  // --describe alone: NEW.ZIP stays out; a dry run counts as a run does.
  Outcome json = tolvboard(dir, {"--describe", "--json", "--dry-run", "--areas", "areas", "dry"});
  EXPECT_NE(json.output.find("\"exact\": true, \"described\": 1, \"orphans_written\": null,"),
            std::string::npos)
      << json.output;
}

// A dry run writes no report: the findings of a listing of many entries
// not carried (a FILES.BBS whose files are not at hand) stay off the table.
TEST(Tolvboard, ADryRunWritesNoReportToItsOutput) {
  TempDir dir;
  mkdir((dir / "fb").c_str(), 0755);
  std::string files;
  for (int i = 0; i < 400; ++i) {
    char line[32];
    snprintf(line, sizeof line, "F%d.ZIP  A file\r\n", 1000 + i);
    files += line;
  }
  write_file(dir / "fb/FILES.BBS", files);
  write_file(dir / "areas", "fb/FILES.BBS\tUploads\n");
  Outcome run = tolvboard(dir, {"--dry-run", "--areas", "areas", "out"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.find("not-carried"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("400 entries not carried"), std::string::npos) << run.output;
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
      {{"--as-is", "--normalize", "DIR.LST", "out"}, "--normalize cannot be used with --as-is"},
      {{"--areas", "a", "--wait", "--undo", "out"}, "--areas cannot be used with --undo"},
      {{"--undo", "DIR.LST"}, "'DIR.LST' is not a directory"},
      {{"--width", "59", "DIR.LST", "out"}, "--width must be a number from 60 to 1000, not '59'"},
      {{"--width=80", "--json", "DIR.LST", "out"}, "--width cannot be used with --json"},
      {{"--undo", "--width=80", "out"}, "--width cannot be used with --undo"},
      // A mapped directory that is not there is found before any work.
      {{"--map", "C:=nowhere", "--map=\\=DIR.LST", "DIR.LST", "new"},
       "--map C:=nowhere: 'nowhere' does not exist; --map \\=DIR.LST: 'DIR.LST' is not a "
       "directory; nothing done"},
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
  EXPECT_FALSE(file_exists(board.dir / "new"));
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
