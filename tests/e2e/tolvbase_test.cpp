// The built tolvbase binary on bases that tolvconv wrote, sound and damaged:
// standard output, standard error and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <regex>

#include "e2e/programs.h"
#include "filebase/record.h"
#include "support/archives.h"
#include "support/child.h"
#include "support/listing_text.h"
#include "support/stored_base.h"
#include "tolv_version.h"
#include "tolvbase/command.h"

namespace tolv::test {
namespace {

// The bundled sample converted into dir/sample.{dir,des}.
std::string convert_sample(const TempDir& dir) {
  Outcome run = run_tolvconv({TOLV_SOURCE_DIR "/examples/sample.lst", dir / "sample"});
  EXPECT_EQ(run.status, 0) << run.output;
  return dir / "sample";
}

// The base with one field of one record overwritten: a length byte, Flags or
// DescLines, or one of the 32-bit fields.
void damage(const std::string& base, int record, int at, int32_t value) {
  StoredBase stored = read_base(base);
  if (at == kSizeAt || at == kDateTimeAt || at == kDescPtrAt)
    stored.set32(record, at, value);
  else
    stored.set8(record, at, static_cast<uint8_t>(value));
  write_base(base, stored);
}

TEST(Tolvbase, ListOfTheSampleMatchesTheExpectedText) {
  TempDir dir;
  convert_sample(dir);
  // The base is named the way tolvconv names it: any extension is dropped.
  Outcome run = run_tolvbase({"list", dir / "sample.lst"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.output, read_file(TOLV_SOURCE_DIR "/examples/expected/sample.list.txt"));
}

TEST(Tolvbase, CheckFindsTheSampleSound) {
  TempDir dir;
  std::string base = convert_sample(dir);
  // Options as GNU tools take them: abbreviated, before or after the base.
  for (std::vector<std::string> args : {std::vector<std::string>{"check", base},
                                        {"check", "--str", base},
                                        {"check", base, "--strict", "--"}}) {
    Outcome run = run_tolvbase(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "6 records, 491 description bytes: sound\n");
    EXPECT_EQ(run.errors, "");
  }

  // An empty base is sound too.
  write_file(dir / "empty.dir", "");
  write_file(dir / "empty.des", "");
  Outcome run = run_tolvbase({"check", dir / "empty"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "0 records, 0 description bytes: sound\n");
}

// In the sample, records 0 to 5 start their descriptions at bytes 0, 120,
// 166, 232, 395 and 412 of a 491-byte description file.
TEST(Tolvbase, CheckNamesEachProblemWithItsRecord) {
  struct Case {
    int record, at;  // the field to overwrite
    int32_t value;
    std::string report;
  } cases[] = {
      {2, kFileNameAt, 75,
       "problem: record 2: FileName length byte 75 is past its capacity of 70\n"
       "6 records, 491 description bytes: 1 problem\n"},
      {4, kOriginAt, 40,
       "problem: record 4: Origin length byte 40 is past its capacity of 30\n"
       "6 records, 491 description bytes: 1 problem\n"},
      {1, kDescPtrAt, -120,
       "problem: record 1: DescPtr -120 is negative\n"
       "note: description bytes 120-165 (46 bytes) belong to no record (an entry whose record "
       "was never written); the next conversion leaves them in place\n"
       "6 records, 491 description bytes: 1 problem, 1 note\n"},
      {3, kDescPtrAt, 5000,
       "problem: record 3: DescPtr 5000 lies outside the description file (491 bytes)\n"
       "note: description bytes 232-394 (163 bytes) belong to no record (an entry whose record "
       "was never written); the next conversion leaves them in place\n"
       "6 records, 491 description bytes: 1 problem, 1 note\n"},
      {5, kDescLinesAt, 9,
       "problem: record 5: description line 4 of 9 (from byte 491) runs past the end of the "
       "description file (491 bytes)\n"
       "6 records, 491 description bytes: 1 problem\n"},
      {0, kDescLinesAt, 0,
       "problem: record 0: DescLines is 0\n"
       "note: description bytes 0-119 (120 bytes) belong to no record (an entry whose record "
       "was never written); the next conversion leaves them in place\n"
       "6 records, 491 description bytes: 1 problem, 1 note\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string base = convert_sample(dir);
    damage(base, c.record, c.at, c.value);
    Outcome run = run_tolvbase({"check", base});
    EXPECT_EQ(run.status, 1) << c.report;
    EXPECT_EQ(run.output, c.report);
    EXPECT_EQ(run.errors, "");
  }
}

TEST(Tolvbase, LeftoversOfAnInterruptedConversionAreNotes) {
  TempDir dir;
  std::string base = convert_sample(dir);
  write_file(base + ".des", read_file(base + ".des") +
                                "\x03"
                                "abc");
  write_file(base + ".dir", read_file(base + ".dir") + std::string(37, 'r'));
  Outcome run = run_tolvbase({"check", base});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output,
            "note: the record file ends in a fragment of 37 bytes after its 6 whole records (a "
            "record write cut short); the next conversion writes over it\n"
            "note: description bytes 491-494 (4 bytes) belong to no record (an entry whose "
            "record was never written); the next conversion leaves them in place\n"
            "6 records, 495 description bytes: sound, 2 notes\n");
}

// The companions' spelling of the switch, given to tolvconv, is not its
// switch: the listing is converted again and the base doubles. check says
// so, with the truncate that takes it back.
TEST(Tolvbase, CheckFindsTheSampleConvertedTwiceAndNamesTheMend) {
  TempDir dir;
  std::string base = convert_sample(dir);
  ASSERT_EQ(run_tolvconv({TOLV_SOURCE_DIR "/examples/sample.lst", base, "--dupe"}).status, 0);
  Outcome run = run_tolvbase({"check", base});
  EXPECT_EQ(run.status, 1);
  std::string mend = "tolvbase truncate " + base + ".dir 6";
  EXPECT_NE(run.output.find("problem: records 6-11 repeat records 0-5 one for one (names, sizes, "
                            "dates and descriptions): a listing converted twice, as without "
                            "-DUPE; '" +
                            mend + "' removes the repeat\n"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("12 records, 982 description bytes: 1 problem, 6 notes\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run_tolvbase({"truncate", base + ".dir", "6"}).status, 0);
  EXPECT_EQ(run_tolvbase({"check", base}).output, "6 records, 491 description bytes: sound\n");
}

TEST(Tolvbase, ListShowsTheProblemsOfADamagedRecord) {
  TempDir dir;
  std::string base = convert_sample(dir);
  damage(base, 4, kDescLinesAt, 0);
  Outcome run = run_tolvbase({"list", base});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("record 4\n  name    MODEMPRO.ZIP\n"), std::string::npos);
  EXPECT_NE(run.output.find("  lines   0 at byte 395\n  ! DescLines is 0\n\nrecord 5\n"),
            std::string::npos)
      << run.output;
}

TEST(Tolvbase, UsageErrorsGoToStandardErrorWithStatusTwo) {
  const std::string usage =
      "Usage: tolvbase list [--encoding cp437|latin1|raw] BASE...\n"
      "       tolvbase check [--strict] [--dir DIR] BASE...\n"
      "       tolvbase export [--format pcboard|json|csv] [--encoding cp437|latin1|raw] "
      "[--as-stored] BASE\n"
      "       tolvbase preview [--entries] [--json] [--encoding cp437|latin1|raw] LISTING "
      "[BASE]\n"
      "       tolvbase normalize [--dir DIR] [--layout NAME] [--width N] [--keep-colours] "
      "[--describe] [--orphans] [--report FILE] [--json] LISTING\n"
      "       tolvbase scan [--keep-colours] [--report FILE] [--json] DIR\n"
      "       tolvbase truncate [--dry-run] BASE RECORDS\n";
  // A mistake made in a command shows that command's usage alone.
  auto usage_of = [&](const std::string& command) {
    if (command.empty()) return usage + "Try 'tolvbase --help' for more information.\n";
    size_t at = usage.find("tolvbase " + command + " ");
    return "Usage: " + usage.substr(at, usage.find('\n', at) + 1 - at) + "Try 'tolvbase " +
           command + " --help' for more information.\n";
  };
  struct Case {
    std::vector<std::string> args;
    std::string message;
    std::string command;  // whose usage follows; empty: the whole program's
  } cases[] = {
      {{}, "missing command", ""},
      {{"show", "x"}, "unknown command 'show'", ""},
      {{"chekc", "x"}, "unknown command 'chekc'; did you mean 'check'?", "check"},
      {{"-l", "x"}, "unknown option '-l'", ""},
      {{"list"}, "list needs at least one BASE", "list"},
      {{"check", "a", "--all", "b"}, "unknown option '--all'", "check"},
      {{"check", "--strcit", "x"}, "unknown option '--strcit'; did you mean '--strict'?", "check"},
      {{"check", "--dir=", "x"}, "--dir needs a value (DIR)", "check"},
      {{"list", "--encoding", "utf8", "x"},
       "unknown encoding 'utf8' (cp437, latin1 or raw)",
       "list"},
      {{"export", "x", "--format", "xml"}, "unknown format 'xml' (pcboard, json or csv)", "export"},
      {{"export", "x", "--format"}, "--format needs pcboard, json or csv", "export"},
      {{"export", "x", "--encoding", "cp437"},
       "--encoding applies to json and csv: a pcboard listing keeps the bytes as stored",
       "export"},
      {{"export", "x", "--format=json", "--encoding=raw"},
       "--encoding raw cannot be used with --format json (JSON text is UTF-8)",
       "export"},
      {{"export", "x", "y"}, "export takes one BASE argument", "export"},
      {{"export", "x", "--formt=csv"},
       "unknown option '--formt'; did you mean '--format'?",
       "export"},
      {{"preview", "x", "--e"}, "ambiguous option '--e' (--entries, --encoding)", "preview"},
      {{"check", "--strict=yes", "x"}, "--strict takes no value", "check"},
      {{"list", "-x", "x"}, "unknown option '-x'", "list"},
      {{"export", "x", "--as-stored"},
       "--as-stored applies to csv: the other formats keep every text as stored",
       "export"},
      {{"normalize", "x", "--width", "4x"},
       "--width must be a number from 10 to 50, not '4x'",
       "normalize"},
      {{"normalize", "x", "--width", "99999999999999999999"},
       "--width must be a number from 10 to 50, not '99999999999999999999'",
       "normalize"},
      {{"normalize", "x", "--keep-colrs"},
       "unknown option '--keep-colrs'; did you mean '--keep-colours'?",
       "normalize"},
      {{"normalize", "x", "--report="}, "--report needs a value (FILE)", "normalize"},
      {{"truncate", "x"}, "truncate needs a BASE and the number of RECORDS to keep", "truncate"},
      {{"truncate", "x", "1", "2"},
       "truncate takes one BASE and one number of RECORDS",
       "truncate"},
      {{"truncate", "x", "4x"}, "RECORDS must be a number of records, not '4x'", "truncate"},
      {{"truncate", "x", "-1"}, "unknown option '-1'", "truncate"},
      {{"normalize", "--describe", "x"},
       "--describe needs --dir DIR: the files to read",
       "normalize"},
      {{"normalize", "--orphans", "x"},
       "--orphans needs --dir DIR: the files to read",
       "normalize"},
      {{"scan"}, "scan needs a DIR", "scan"},
      {{"scan", "a", "b"}, "scan takes one DIR", "scan"},
  };
  for (const Case& c : cases) {
    Outcome run = run_tolvbase(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.output, "") << c.message;
    EXPECT_EQ(run.errors, "tolvbase: " + c.message + "\n" + usage_of(c.command));
  }
}

TEST(Tolvbase, HelpAndVersionGoToStandardOutput) {
  Outcome help = run_tolvbase({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.errors, "");
  EXPECT_EQ(help.output.rfind("Usage: tolvbase list [--encoding cp437|latin1|raw] BASE...\n", 0),
            0u)
      << help.output;
  EXPECT_NE(help.output.find("Exit status: 0"), std::string::npos);

  // One command's help, also when other arguments stand beside it.
  Outcome one = run_tolvbase({"check", "x", "--help"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(
      one.output.rfind("Usage: tolvbase check [--strict] [--dir DIR] BASE...\n\nReports each", 0),
      0u)
      << one.output;

  for (const char* flag : {"--version", "-V"}) {
    Outcome version = run_tolvbase({flag});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output,
              "tolvbase (TOLVCONV) " TOLV_VERSION "\nCopyright (C) 2026 The TOLVCONV Authors\n");
  }
}

TEST(Tolvbase, NeverWaitsForAFifoAndSaysWhenAConversionHoldsTheBase) {
  TempDir dir;
  std::string base = convert_sample(dir);
  // The lock a conversion holds while it runs.
  int des = ::open((base + ".des").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(des, LOCK_EX), 0);
  Outcome run = run_tolvbase({"check", base});
  ::close(des);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "6 records, 491 description bytes: sound\n");
  EXPECT_EQ(run.errors, "tolvbase: '" + base +
                            ".des' is locked by a conversion in progress; reading it as it stands "
                            "now\n");

  for (const char* fifo : {"f.dir", "g.des"}) {
    ASSERT_EQ(mkfifo((dir / fifo).c_str(), 0600), 0);
    std::string other = std::string(fifo) == "f.dir" ? "f.des" : "g.dir";
    write_file(dir / other, "");
    run = run_tolvbase({"list", dir / std::string(fifo, 1)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.errors,
              "tolvbase: cannot open '" + dir / fifo + "': it is a FIFO, not a regular file\n");
  }
  // A listing too: nobody writes to this FIFO, and the preview does not wait.
  run = run_tolvbase({"preview", dir / "f.dir"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "tolvbase: cannot open '" + dir / "f.dir" + "': it is a FIFO, not a regular file\n");
}

TEST(Tolvbase, AFileThatCannotBeOpenedIsNamedOnStandardError) {
  TempDir dir;
  Outcome run = run_tolvbase({"check", dir / "none.x"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.errors,
            "tolvbase: cannot open '" + dir / "none.dir" + "': No such file or directory\n");

  // A record file without its description file: check cannot tell, list
  // shows the records without their descriptions.
  std::string base = convert_sample(dir);
  std::string records = read_file(base + ".dir");
  write_file(dir / "half.dir", records.substr(0, 240));
  run = run_tolvbase({"check", dir / "half"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "tolvbase: cannot open '" + dir / "half.des" + "': No such file or directory\n");
  run = run_tolvbase({"list", dir / "half"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.errors, "tolvbase: '" + dir / "half.des" +
                            "' is missing: the records are listed without their descriptions\n");
  EXPECT_NE(run.output.find("record 1\n  name    PACKR241.EXE\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  lines   1 at byte 120 (the description file is missing)\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("  !"), std::string::npos) << run.output;
}

// Several bases in one call, as a shell glob gives them: each one's lines
// name it, the status is the worst, and "--" lets a BASE start with '-'.
TEST(Tolvbase, SeveralBasesInOneCall) {
  TempDir dir;
  std::string sound = convert_sample(dir);
  write_file(dir / "-odd.dir", read_file(sound + ".dir"));
  write_file(dir / "-odd.des", "");
  Outcome run = run_tolvbase({"check", sound + ".dir", dir / "none.dir", "--", dir / "-odd.dir"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.output.rfind(sound + ".dir: 6 records, 491 description bytes: sound\n", 0), 0u)
      << run.output;
  EXPECT_NE(run.output.find(dir / "-odd.dir: problem: record 0: description line 1 of 3"),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(dir / "-odd.dir: 6 records, 0 description bytes: 6 problems\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.errors,
            "tolvbase: cannot open '" + dir / "none.dir" + "': No such file or directory\n");

  run = run_tolvbase({"list", sound, sound});
  EXPECT_EQ(run.status, 0);
  std::string one = read_file(TOLV_SOURCE_DIR "/examples/expected/sample.list.txt");
  EXPECT_EQ(run.output, "==> " + sound + " <==\n" + one + "\n==> " + sound + " <==\n" + one);
}

// ---------------------------------------------------------------- truncate

// The sample's records start their text at bytes 0, 120, 166, 232, 395 and
// 412 of 491. Every case leaves the two files as prefixes of what they were.
TEST(TolvbaseTruncate, KeepsAPrefixOfBothFilesOrChangesNothing) {
  enum Change { kNone, kLeftovers, kPointBack, kLocked, kLink };
  const std::string nothing = "; nothing changed\n";
  constexpr size_t kAll = std::string::npos;
  struct Case {
    std::string keep;
    Change change;
    int failing_cut;  // the nth ftruncate fails with EIO; 0: none
    int status;
    std::string output, errors;      // in errors, B stands for the base
    size_t records, descriptions;    // bytes left of each file
    Call failing = Call::Ftruncate;  // the kind of call `failing_cut` counts
    int error = EIO;
  } cases[] = {
      {"4", kNone, 0, 0,
       "removed records 4-5 (2 records, 96 description bytes)\n"
       "kept 4 records, 395 description bytes\n",
       "", 480, 395},
      {"0", kNone, 0, 0,
       "removed records 0-5 (6 records, 491 description bytes)\n"
       "kept 0 records, 0 description bytes\n",
       "", 0, 0},
      {"6", kLeftovers, 0, 0,
       "removed the fragment of 37 bytes at the end of the record file\n"
       "removed 4 description bytes after the last record's text, which no record pointed at\n"
       "kept 6 records, 491 description bytes\n",
       "", 720, 491},
      {"6", kNone, 0, 0, "nothing to remove: 6 records, 491 description bytes\n", "", kAll, kAll},
      {"7", kNone, 0, 2, "", "'B.dir' holds 6 records: there are not 7 to keep" + nothing, kAll,
       kAll},
      {"4", kPointBack, 0, 1, "",
       "record 5, which would be removed, has its text at byte 120, before byte 395 where the "
       "text of the records kept ends: the records are not in the order a conversion appends "
       "them" +
           nothing,
       kAll, kAll},
      {"4", kLocked, 0, 2, "",
       "'B.des' is locked: a conversion is writing the base, or a program is reading it" + nothing,
       kAll, kAll},
      {"4", kLink, 0, 2, "",
       "'B.dir' is a symbolic link; a base is cut only through its own files" + nothing, kAll,
       kAll},
      {"4", kNone, 1, 2, "", "cannot cut 'B.dir': Input/output error" + nothing, kAll, kAll},
      // A file system that cannot lock cuts nothing; a sync that fails says
      // the cut may not be on the disk.
      {"4", kNone, 1, 2, "",
       "cannot lock 'B.des': No locks available (its file system cannot lock); nothing is "
       "written without the lock" +
           nothing,
       kAll, kAll, Call::Flock, ENOLCK},
      {"4", kNone, 2, 2,
       "removed records 4-5 (2 records, 96 description bytes)\n"
       "kept 4 records, 395 description bytes\n",
       "cannot sync 'B.des': Input/output error: the base is cut, but may not all be on the disk "
       "yet\n",
       480, 395, Call::Fsync},
      // The base stays sound: the description file only holds bytes past
      // the kept records' text.
      {"4", kNone, 2, 2, "",
       "cannot cut 'B.des': Input/output error; the record file is cut to 4 records, and the "
       "description bytes after their text, which no record points at, are left: truncate "
       "again to remove them\n",
       480, kAll},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string base = convert_sample(dir), what = c.keep + " " + c.errors;
    int held = -1;
    if (c.change == kLeftovers) {
      write_file(base + ".dir", read_file(base + ".dir") + std::string(37, 'r'));
      write_file(base + ".des", read_file(base + ".des") + "\x03xyz");
    } else if (c.change == kPointBack) {
      damage(base, 5, kDescPtrAt, 120);
    } else if (c.change == kLocked) {
      held = ::open((base + ".des").c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(flock(held, LOCK_EX), 0);
    } else if (c.change == kLink) {
      ASSERT_EQ(rename((base + ".dir").c_str(), (base + ".real").c_str()), 0);
      ASSERT_EQ(symlink((base + ".real").c_str(), (base + ".dir").c_str()), 0);
    }
    std::string records = read_file(base + ".dir"), descriptions = read_file(base + ".des");
    std::string errors = c.errors;
    if (size_t at = errors.find("'B."); at != std::string::npos) errors.replace(at + 1, 1, base);
    // A dry run first: the same statuses and lines in the conditional,
    // and both files as they were. It cuts nothing, so no cut can fail.
    std::string would = std::regex_replace(c.output, std::regex("(^|\n)removed"), "$1would remove");
    would = std::regex_replace(would, std::regex("(^|\n)kept"), "$1would keep");
    if (c.failing_cut == 0) {
      Outcome dry = run_tolvbase({"truncate", "--dry-run", base, c.keep});
      EXPECT_EQ(dry.status, c.status) << what;
      EXPECT_EQ(dry.output, would) << what;
      EXPECT_EQ(dry.errors, errors.empty() ? "" : "tolvbase: " + errors) << what;
      EXPECT_EQ(read_file(base + ".dir"), records) << what;
      EXPECT_EQ(read_file(base + ".des"), descriptions) << what;
    }
    std::vector<test::Fault> faults;
    if (c.failing_cut > 0) faults.push_back({test::nth_call(c.failing, c.failing_cut), c.error});
    Outcome run =
        test::run_companion_in_child(tolvbase_program(), {"truncate", base, c.keep}, faults);
    if (held >= 0) ::close(held);
    EXPECT_EQ(run.status, c.status) << what;
    EXPECT_EQ(run.output, c.output) << what;
    EXPECT_EQ(run.errors, errors.empty() ? "" : "tolvbase: " + errors) << what;
    EXPECT_EQ(read_file(base + ".dir"), records.substr(0, c.records)) << what;
    EXPECT_EQ(read_file(base + ".des"), descriptions.substr(0, c.descriptions)) << what;
    if (c.status != 1) {
      EXPECT_EQ(test::check_stored_base(base).result.problems, 0) << what;
    }
  }
}

// ---------------------------------------------------------------- preview

// A rule row, an entry with a CP437 name, a comma size, a quote and a TAB in
// its text, and an entry the sample base already holds.
std::string doubtful_listing() {
  return "Files\r\n------------     ----    ----    -----\r\n" +
         entry_line("CAF\x82.ZIP", "1,024", "01-15-95", "Caf\x82 \"menu\"\tlist") + "\r\n" +
         continuation_line("more") + "\r\n" + entry_line("SQZ204.ZIP", "1", "02-01-93", "x") +
         "\r\n";
}

TEST(TolvbasePreview, TheSampleHasNoFindingAndAllIsAlreadyInItsBase) {
  TempDir dir;
  std::string base = convert_sample(dir);
  std::string sample = TOLV_SOURCE_DIR "/examples/sample.lst";
  Outcome run = run_tolvbase({"preview", sample});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "6 entries, no finding\n");
  EXPECT_EQ(run.errors, "");
  run = run_tolvbase({"preview", sample, base});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "6 entries: 6 appended without -DUPE, 0 with it; no finding\n");
}

// A base that does not exist yet is one a conversion makes; a listing that
// is a file of the base given (226.dir read as an RBBS listing into base
// 226) is a finding, known by the file's identity, not its name.
TEST(TolvbasePreview, ANewBaseIsSaidAsSuchAndTheBasesOwnFileIsAFinding) {
  TempDir dir;
  std::string base = convert_sample(dir);
  std::string sample = read_file(TOLV_SOURCE_DIR "/examples/sample.lst");
  write_file(dir / "226.dir", sample);
  ASSERT_EQ(symlink("226.dir", (dir / "link.lst").c_str()), 0);
  const std::string own =
      "the listing is the %s of the base: tolvconv would write the base "
      "into the listing while it reads it; name another BASE\n  \n";
  auto finding = [&](const std::string& file) {
    std::string text = own;
    return "0: listing-is-base: " + text.replace(text.find("%s"), 2, file);
  };
  struct Case {
    std::vector<std::string> args;
    std::string input;  // standard input
    int status;
    std::string output;
  } cases[] = {
      {{dir / "226.dir", dir / "new"},
       "",
       0,
       "6 entries into a new base: 6 appended without -DUPE, 6 with it; no finding\n"},
      {{dir / "226.dir", dir / "226"},
       "",
       1,
       finding("record file '" + dir / "226.dir'") + "6 entries, 1 finding: 1 listing-is-base\n"},
      {{dir / "link.lst", dir / "226.x"},
       "",
       1,
       finding("record file '" + dir / "226.dir'") + "6 entries, 1 finding: 1 listing-is-base\n"},
      {{"-", dir / "new"},
       sample,
       0,
       "6 entries into a new base: 6 appended without -DUPE, 6 with it; no finding\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "preview");
    Outcome run = run_tolvbase(args, c.input);
    EXPECT_EQ(run.status, c.status) << c.args[0] << run.errors;
    EXPECT_EQ(run.output, c.output) << c.args[0];
  }
  // The description file of a base that exists, read as a listing.
  Outcome run = run_tolvbase({"preview", base + ".des", base});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.rfind(finding("description file '" + base + ".des'"), 0), 0u) << run.output;
  EXPECT_FALSE(file_exists(dir / "new.dir"));
}

TEST(TolvbasePreview, TextShowsEachFindingWithItsLineDecodedForTheLocale) {
  std::string finding =
      "3: size-unreadable: columns 13-21 hold '    1,024', which is not a number (a comma): "
      "the size is stored as 0\n"
      "  CAF\\x82.ZIP        1,024  01-15-95  Caf\\x82 \"menu\"\\x09list\n";
  // Raw bytes in a locale that is not UTF-8: CP437's 0x82 would reach the
  // terminal as a C1 control, so it is escaped too.
  Outcome raw = run_tolvbase({"preview", "-", "--entries"}, doubtful_listing(), "C");
  EXPECT_EQ(raw.status, 1);
  EXPECT_NE(raw.output.find(finding), std::string::npos) << raw.output;
  EXPECT_NE(raw.output.find("3: entry: CAF\\x82.ZIP, 0 bytes, 1995-01-15, 2 lines\n"),
            std::string::npos)
      << raw.output;
  EXPECT_EQ(raw.output.substr(raw.output.rfind('\n', raw.output.size() - 2) + 1),
            "3 entries, 2 findings: 1 separator, 1 size-unreadable\n");

  Outcome utf8 = run_tolvbase({"preview", "-"}, doubtful_listing(), "C.UTF-8");
  std::string decoded = finding;
  for (size_t at; (at = decoded.find("\\x82")) != std::string::npos;)
    decoded.replace(at, 4, "\xc3\xa9");
  EXPECT_NE(utf8.output.find(decoded), std::string::npos) << utf8.output;
  Outcome latin1 =
      run_tolvbase({"preview", "-", "--encoding", "raw"}, doubtful_listing(), "C.UTF-8");
  EXPECT_EQ(latin1.output, run_tolvbase({"preview", "-"}, doubtful_listing(), "C").output);
}

TEST(TolvbasePreview, JsonLinesParseWithTheFieldsScriptsRead) {
  if (system("python3 -c 'import json' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  TempDir dir;
  std::string base = convert_sample(dir);
  write_file(dir / "in.lst", doubtful_listing());
  Outcome run = run_tolvbase({"preview", "--json", dir / "in.lst", base});
  EXPECT_EQ(run.status, 1);
  write_file(dir / "out.jsonl", run.output);
  write_file(dir / "canon.py",
             "import json, sys\n"
             "for line in open(sys.argv[1], encoding='utf-8'):\n"
             "    o = json.loads(line)\n"
             "    if 'message' in o:\n"
             "        assert isinstance(o['message'], str) and o['message']\n"
             "        o['message'] = '...'\n"
             "    print(json.dumps(o, sort_keys=True))\n");
  Outcome canon = run_binary({"/bin/sh", "-c", "python3 canon.py out.jsonl"}, "", dir.path);
  ASSERT_EQ(canon.status, 0) << run.output;
  EXPECT_EQ(
      canon.output,
      R"({"date": "2000-00-00", "duplicate": false, "kind": "entry", "line": 2, "lines": 1, "name": "------------", "size": 0}
{"kind": "separator", "line": 2, "message": "...", "text": "------------     ----    ----    -----"}
{"date": "1995-01-15", "duplicate": false, "kind": "entry", "line": 3, "lines": 2, "name": "CAF\u00e9.ZIP", "size": 0}
{"kind": "size-unreadable", "line": 3, "message": "...", "text": "CAF\u00e9.ZIP        1,024  01-15-95  Caf\u00e9 \"menu\"\tlist"}
{"date": "1993-02-01", "duplicate": true, "kind": "entry", "line": 5, "lines": 1, "name": "SQZ204.ZIP", "size": 1}
{"appended_with_dupe": 2, "entries": 3, "findings": 2, "kind": "summary", "new_base": false}
)");
}

TEST(TolvbasePreview, ExitStatusTwoForUsageErrorsAndListingsThatCannotBeRead) {
  TempDir dir;
  write_file(dir / "in.lst", doubtful_listing());
  write_file(dir / "half.dir", "");  // bases of one file of their two
  write_file(dir / "other.des", "");
  struct Case {
    std::vector<std::string> args;
    std::string error;  // the start of standard error
  } cases[] = {
      {{"preview"}, "tolvbase: preview needs a LISTING\nUsage:"},
      {{"preview", "a", "b", "c"}, "tolvbase: preview takes a LISTING and at most one BASE\n"},
      {{"preview", "a", "--encoding"}, "tolvbase: --encoding needs cp437, latin1 or raw\n"},
      {{"preview", "a", "--encoding=utf8"}, "tolvbase: unknown encoding 'utf8'"},
      {{"preview", "a", "--encoding", "raw", "--json"}, "tolvbase: --encoding raw cannot be used"},
      {{"preview", "a", "--all"}, "tolvbase: unknown option '--all'\n"},
      {{"preview", dir / "none.lst"},
       "tolvbase: cannot open '" + dir / "none.lst" + "': No such file or directory\n"},
      {{"preview", dir.path}, "tolvbase: cannot open '" + dir.path + "': Is a directory\n"},
      {{"preview", "/dev/zero"},
       "tolvbase: cannot open '/dev/zero': it is a character device, not a regular file\n"},
      {{"preview", dir / "in.lst", dir / "none/base"},
       "tolvbase: cannot open '" + dir / "none/base.dir" + "': No such file or directory\n"},
      {{"preview", dir / "in.lst", dir / "half"},
       "tolvbase: cannot open '" + dir / "half.des" + "': No such file or directory\n"},
      {{"preview", dir / "in.lst", dir / "other"},
       "tolvbase: cannot open '" + dir / "other.dir" + "': No such file or directory\n"},
  };
  for (const Case& c : cases) {
    Outcome run = run_tolvbase(c.args);
    EXPECT_EQ(run.status, 2) << c.error;
    EXPECT_EQ(run.output, "") << c.error;
    EXPECT_EQ(run.errors.rfind(c.error, 0), 0u) << run.errors;
  }
}

TEST(TolvbasePreview, CheckStrictCountsDoubtfulRecordsAsProblems) {
  TempDir dir;
  write_file(dir / "in.lst", doubtful_listing());
  ASSERT_EQ(run_tolvconv({dir / "in.lst", dir / "b"}).status, 0);
  Outcome notes = run_tolvbase({"check", dir / "b"});
  EXPECT_EQ(notes.status, 0);
  EXPECT_EQ(notes.output,
            "note: record 0: the date 2000-00-00 has a month outside 1 to 12 or a day outside 1 "
            "to 31\n"
            "note: record 0: the name '------------' is only rule characters (a rule or header "
            "row)\n"
            "3 records, 30 description bytes: sound, 2 notes\n");
  Outcome strict = run_tolvbase({"check", "--strict", dir / "b"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.output.substr(0, 25), "problem: record 0: the da");
  EXPECT_NE(strict.output.find("3 records, 30 description bytes: 2 problems\n"), std::string::npos)
      << strict.output;
}

// The files on disk: one as listed, one of another size, one missing, one
// that two files match in other letter cases, and a file no record names.
TEST(TolvbaseCheck, DirNotesFilesMissingOfAnotherSizeOrNamedByNoRecord) {
  TempDir dir;
  mkdir((dir / "files").c_str(), 0755);
  write_file(dir / "files/one.zip", std::string(100, 'x'));
  write_file(dir / "files/TWO.ZIP", "abc");
  write_file(dir / "files/Dup.zip", "1");
  write_file(dir / "files/DUP.ZIP", "2");
  write_file(dir / "files/extra", "");
  mkdir((dir / "files/sub").c_str(), 0755);  // not a file: never an orphan
  write_file(dir / "in.lst", entry_line("ONE.ZIP", "100", "01-15-95", "One") + "\r\n" +
                                 entry_line("two.zip", "9", "01-15-95", "Two") + "\r\n" +
                                 entry_line("GONE.ZIP", "10", "01-15-95", "Gone") + "\r\n" +
                                 entry_line("dup.zip", "1", "01-15-95", "Dup") + "\r\n");
  ASSERT_EQ(run_tolvconv({dir / "in.lst", dir / "b"}).status, 0);
  std::string in = " in '" + dir / "files" + "'";
  std::string findings =
      ": record 1: its file 'TWO.ZIP'" + in + " has 3 bytes, the record says 9\n" +
      ": record 2: its file 'GONE.ZIP' is not" + in + "\n" +
      ": record 3: its file 'dup.zip' matches both 'DUP.ZIP' and 'Dup.zip'" + in +
      " in other letter cases: which one is not known\n" + ": 'DUP.ZIP'" + in +
      " (1 byte) is named by no record\n" + ": 'Dup.zip'" + in +
      " (1 byte) is named by no record\n" + ": 'extra'" + in + " (0 bytes) is named by no record\n";
  auto as = [&](const std::string& kind) {
    std::string text = findings, out;
    for (size_t at = 0, end; at < text.size(); at = end + 1) {
      end = text.find('\n', at);
      out += kind + text.substr(at, end - at + 1);
    }
    return out;
  };
  std::string counts = "; files: 2 missing, 1 size differs, 3 orphans\n";
  Outcome notes = run_tolvbase({"check", "--dir", dir / "files", dir / "b"});
  EXPECT_EQ(notes.status, 0) << notes.errors;
  EXPECT_EQ(notes.output, as("note") + "4 records, 17 description bytes: sound, 6 notes" + counts);
  Outcome strict = run_tolvbase({"check", "--strict", "--dir=" + dir / "files", dir / "b"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.output, as("problem") + "4 records, 17 description bytes: 6 problems" + counts);

  Outcome gone = run_tolvbase({"check", "--dir", dir / "none", dir / "b"});
  EXPECT_EQ(gone.status, 2);
  EXPECT_EQ(gone.errors.rfind("tolvbase: cannot read directory '" + dir / "none" + "'", 0), 0u)
      << gone.errors;
}

// A raw C1 byte (0x9B is CSI on many terminals) and C1 in UTF-8 (C2 9B), in
// a record's name, a listing's line, a file's name or a base's path, reach
// standard output and standard error only as \xHH, whichever way they take.
TEST(Tolvbase, RawAndEncodedC1ReachNoTerminal) {
  TempDir dir;
  const std::string csi = "\x9b[1m", utf8_csi = "\xc2\x9b[1m";
  mkdir((dir / "files").c_str(), 0755);
  write_file(dir / ("files/O" + utf8_csi), "");
  write_file(dir / "in.lst", entry_line("A" + csi + ".ZIP", "10", "01-15-95", "Cent") +
                                 "\r\n== " + csi + " " + utf8_csi + " ==\r\n" +
                                 entry_line("B.ZIP", "5", "01-15-95", "Bee") + "\r\n");
  std::string base = dir / ("b" + utf8_csi), shown = dir / "b\\xC2\\x9B[1m";
  ASSERT_EQ(run_tolvconv({dir / "in.lst", base}).status, 0);
  struct Case {
    std::vector<std::string> args;
    bool on_errors;  // the text goes to standard error
    std::string part;
  } cases[] = {
      {{"check", "--dir", dir / "files", base}, false, "its file 'A\\x9B[1m.ZIP' is not in '"},
      {{"check", "--dir", dir / "files", base}, false, ": 'O\\xC2\\x9B[1m' in '"},
      {{"normalize", "--dir", dir / "files", dir / "in.lst"},
       true,
       "description: '== \\x9B[1m \\xC2\\x9B[1m =='\n"},
      {{"normalize", "--dir", dir / "files", dir / "in.lst"}, true, "orphan: 'O\\xC2\\x9B[1m' is"},
      {{"list", base, base}, false, "==> " + shown + " <==\n"},
      {{"check", base, base}, false, shown + ": 2 records, "},
      {{"check", dir / ("gone" + csi)}, true, "cannot open '" + dir / "gone\\x9B[1m.dir': No such"},
  };
  for (const Case& c : cases) {
    Outcome run = run_tolvbase(c.args);
    const std::string& text = c.on_errors ? run.errors : run.output;
    EXPECT_NE(text.find(c.part), std::string::npos) << text;
    EXPECT_EQ(text.find('\x9b'), std::string::npos) << text;
  }
}

// ---------------------------------------------------------------- export

// CP437 box drawing and an accented letter, quotes, a comma and a TAB, a
// control byte, an empty first line, converted into dir/art.
std::string convert_art(const TempDir& dir) {
  write_file(dir / "art.lst", entry_line("BOX.ZIP", "1024", "01-15-95",
                                         "\xc9\xcd\xcd\xbb \xb0\xb1\xb2\xdb \x9a"
                                         "ber") +
                                  "\r\n" + continuation_line("say \"hi\", then\tgo") + "\r\n" +
                                  entry_line("CAF\x82,1.ZIP", "7", "12-24-99", "") + "\r\n" +
                                  continuation_line("ctl\x01") + "\r\n");
  EXPECT_EQ(run_tolvconv({dir / "art.lst", dir / "art"}).status, 0);
  return dir / "art";
}

TEST(TolvbaseExport, JsonLinesAndCsvReadBackWithPythonsParsers) {
  if (system("python3 -c 'import json, csv' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  TempDir dir;
  std::string base = convert_art(dir);
  damage(base, 1, kDateTimeAt, 0x27980000 | 11 << 11 | 17 << 5 | 15);
  Outcome json = run_tolvbase({"export", base, "--format", "json"});
  Outcome csv = run_tolvbase({"export", base, "--format=csv"});
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(csv.status, 0);
  EXPECT_EQ(json.errors + csv.errors, "");
  EXPECT_EQ(csv.output.substr(0, 53), "record,name,size,date,time,origin,flags,description\r\n");
  write_file(dir / "out.jsonl", json.output);
  write_file(dir / "out.csv", csv.output);
  write_file(dir / "canon.py",
             "import csv, json\n"
             "for line in open('out.jsonl', encoding='utf-8'):\n"
             "    print(json.dumps(json.loads(line), sort_keys=True))\n"
             "for row in csv.DictReader(open('out.csv', encoding='utf-8', newline='')):\n"
             "    print(json.dumps(row, sort_keys=True))\n");
  Outcome canon = run_binary({"/bin/sh", "-c", "python3 canon.py"}, "", dir.path);
  ASSERT_EQ(canon.status, 0) << json.output << csv.output;
  const std::string box = R"(\u2554\u2550\u2550\u2557 \u2591\u2592\u2593\u2588 \u00dcber)";
  EXPECT_EQ(
      canon.output,
      R"({"date": "1995-01-15", "description": [")" + box +
          R"(", "say \"hi\", then\tgo"], "flags": 0, "name": "BOX.ZIP", "origin": "TOLVCONV", "record": 0, "size": 1024}
{"date": "1999-12-24", "description": ["", "ctl\u0001"], "flags": 0, "name": "CAF\u00e9,1.ZIP", "origin": "TOLVCONV", "record": 1, "size": 7, "time": "11:17:30"}
{"date": "1995-01-15", "description": ")" +
          box +
          R"(\nsay \"hi\", then\tgo", "flags": "0", "name": "BOX.ZIP", "origin": "TOLVCONV", "record": "0", "size": "1024", "time": ""}
{"date": "1999-12-24", "description": "\nctl\u0001", "flags": "0", "name": "CAF\u00e9,1.ZIP", "origin": "TOLVCONV", "record": "1", "size": "7", "time": "11:17:30"}
)");
}

TEST(TolvbaseExport, Cp437ShowsAsUtf8InAUtf8LocaleAndControlBytesStayEscaped) {
  TempDir dir;
  std::string base = convert_art(dir);
  // Raw, CP437's 0x9A (Ü) is a C1 control byte: escaped like the C0 ones.
  const std::string box =
      "\xc9\xcd\xcd\xbb \xb0\xb1\xb2\xdb \\x9A"
      "ber";
  const std::string utf8 = "╔══╗ ░▒▓█ Über";
  Outcome raw = run_tolvbase({"list", base}, "", "C");
  Outcome shown = run_tolvbase({"list", base}, "", "C.UTF-8");
  EXPECT_NE(raw.output.find("  | " + box + "\n"), std::string::npos) << raw.output;
  EXPECT_NE(shown.output.find("  | " + utf8 + "\n"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("  name    CAF\xc3\xa9,1.ZIP\n"), std::string::npos) << shown.output;
  // Byte 1 is a glyph in CP437, but a control byte stays escaped.
  EXPECT_NE(raw.output.find("  | ctl\\x01\n"), std::string::npos) << raw.output;
  EXPECT_NE(shown.output.find("  | ctl\\x01\n"), std::string::npos) << shown.output;
  EXPECT_EQ(run_tolvbase({"list", "--encoding", "raw", base}, "", "C.UTF-8").output, raw.output);

  // JSON is UTF-8 in any locale; a listing keeps the bytes as stored.
  Outcome json = run_tolvbase({"export", "--format", "json", base}, "", "C");
  EXPECT_NE(json.output.find("[\"" + utf8 + "\", "), std::string::npos) << json.output;
  Outcome listing = run_tolvbase({"export", base}, "", "C.UTF-8");
  EXPECT_EQ(listing.output, read_file(dir / "art.lst"));
}

TEST(TolvbaseExport, NamesEachRecordNotWrittenAsStoredAndExportsTheRest) {
  TempDir dir;
  std::string base = convert_sample(dir);
  damage(base, 1, kFlagsAt, 0x04);
  damage(base, 3, kDescPtrAt, 5000);
  Outcome listing = run_tolvbase({"export", base});
  EXPECT_EQ(listing.status, 1);
  EXPECT_EQ(listing.errors,
            "tolvbase: record 1: Flags is 0x04; a conversion writes 0x00\n"
            "tolvbase: record 3: DescPtr 5000 lies outside the description file (491 bytes)\n"
            "tolvbase: 2 records of 6 not written as stored\n");
  // Every record is there; the one whose description is lost has none.
  EXPECT_NE(listing.output.find("FONETERM.ZIP   436915  12-24-99  \r\nMODEMPRO.ZIP"),
            std::string::npos)
      << listing.output;

  // JSON carries Flags, so only the damage is reported there.
  Outcome json = run_tolvbase({"export", base, "--format", "json"});
  EXPECT_EQ(json.status, 1);
  EXPECT_EQ(json.errors,
            "tolvbase: record 3: DescPtr 5000 lies outside the description file (491 bytes)\n"
            "tolvbase: 1 record of 6 not written as stored\n");
  EXPECT_NE(json.output.find("\"flags\": 4, "), std::string::npos);
}

TEST(TolvbaseNormalize, BadInputGivesStatusTwoAndOneLineSayingWhy) {
  TempDir dir;
  write_file(dir / "in.lst", entry_line("ZAP.COM", "128", "12-31-99", "Zaps") + "\r\n");
  write_file(dir / "empty.lst", "");
  std::string binary;
  for (uint32_t i = 0, x = 12345; i < 8192; ++i, x = x * 1103515245 + 12345)
    binary += static_cast<char>(i % 7 == 0 ? 0 : x >> 24);
  write_file(dir / "binary.lst", binary);
  write_file(dir / "long.lst", std::string(1 << 20, 'a'));
  const std::string none = "tolvbase: no layout recognised: ";
  struct Case {
    std::vector<std::string> args;
    std::string error;          // the first line of standard error, or its start
    bool from_listing = false;  // standard input reads in.lst
    bool to_file = false;       // standard output writes a file
  } cases[] = {
      {{dir / "binary.lst"}, none},
      {{dir / "long.lst"}, none},
      {{dir.path}, "tolvbase: cannot open '" + dir.path + "': Is a directory\n"},
      {{"--dir", dir / "in.lst", dir / "in.lst"},
       "tolvbase: '" + dir / "in.lst" + "' is not a directory\n"},
      {{"--dir", dir / "gone", dir / "in.lst"},
       "tolvbase: cannot read directory '" + dir / "gone" + "': No such file or directory\n"},
      {{"--width", "9", dir / "in.lst"},
       "tolvbase: --width must be a number from 10 to 50, not '9'\n"},
      {{"--width", "51", dir / "in.lst"},
       "tolvbase: --width must be a number from 10 to 50, not '51'\n"},
      {{"--layout", "bogus", dir / "in.lst"},
       "tolvbase: unknown layout 'bogus' (--layout list names them)\n"},
      {{"--report", dir / "in.lst", dir / "in.lst"},
       "tolvbase: --report '" + dir / "in.lst" + "' is the listing itself; it is left as it is\n"},
      // A report is never written over a base's file, a FIFO, a link, or
      // what standard input reads and standard output writes.
      {{"--report", dir / "b.des", dir / "in.lst"},
       "tolvbase: --report '" + dir / "b.des" +
           "' names a file base's file (.dir, .des); it is left as it is\n"},
      {{"--report", dir / "B.DIR", dir / "in.lst"},
       "tolvbase: --report '" + dir / "B.DIR" +
           "' names a file base's file (.dir, .des); it is left as it is\n"},
      {{"--report", dir / "fifo", dir / "in.lst"},
       "tolvbase: --report '" + dir / "fifo" + "' is a FIFO, not a regular file\n"},
      {{"--report", dir / "link", dir / "in.lst"},
       "tolvbase: --report '" + dir / "link" + "' is a symbolic link; it is not followed\n"},
      {{"--report", dir / "in.lst", "-"},
       "tolvbase: --report '" + dir / "in.lst" + "' is the input being read; it is left as it is\n",
       true},
      {{"--report", dir / "out", dir / "in.lst"},
       "tolvbase: --report '" + dir / "out" + "' is standard output; it is left as it is\n",
       false,
       true},
  };
  write_file(dir / "b.des", "kept");
  write_file(dir / "B.DIR", "kept");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink((dir / "b.des").c_str(), (dir / "link").c_str()), 0);
  for (Case& c : cases) {
    c.args.insert(c.args.begin(), "normalize");
    std::vector<std::string> argv = program_argv(TOLVBASE_BINARY, c.args);
    Outcome run = run_in_child(
        [&] {
          if (c.from_listing) dup2(::open((dir / "in.lst").c_str(), O_RDONLY), 0);
          if (c.to_file) dup2(::open((dir / "out").c_str(), O_WRONLY | O_CREAT, 0644), 1);
          exec_argv(argv);
        },
        "", true);
    EXPECT_EQ(run.status, 2) << c.error;
    EXPECT_EQ(run.output, "") << c.error;
    EXPECT_EQ(run.errors.substr(0, run.errors.find('\n') + 1).rfind(c.error, 0), 0u) << run.errors;
  }
  // An empty listing is an area without files: an empty listing and a note.
  Outcome empty = run_tolvbase({"normalize", dir / "empty.lst"});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.output, "");
  EXPECT_EQ(empty.errors.rfind("0: empty-area: ", 0), 0u) << empty.errors;
  EXPECT_EQ(read_file(dir / "in.lst"), entry_line("ZAP.COM", "128", "12-31-99", "Zaps") + "\r\n");
  EXPECT_EQ(read_file(dir / "b.des") + read_file(dir / "B.DIR"), "keptkept");
  // A report that cannot be written, to standard error or at its close, is
  // status 2 with the real reason.
  std::vector<std::string> argv = program_argv(TOLVBASE_BINARY, {"normalize", dir / "in.lst"});
  Outcome lost = run_in_child([&] {
    dup2(::open("/dev/full", O_WRONLY), 2);
    exec_argv(argv);
  });
  EXPECT_EQ(lost.status, 2);
  Outcome unclosed = run_companion_in_child(tolvbase_program(),
                                            {"normalize", "--report", dir / "r", dir / "in.lst"},
                                            {{every_call(Call::Close), EIO, -1, false}});
  EXPECT_EQ(unclosed.status, 2);
  EXPECT_EQ(unclosed.errors, "tolvbase: cannot close '" + dir / "r" + "': Input/output error\n");
  Outcome list = run_tolvbase({"normalize", "--layout", "list", dir / "in.lst"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.errors, "");
  EXPECT_EQ(list.output.rfind("pcboard         NAME SIZE MM-DD-YY text", 0), 0u) << list.output;
  EXPECT_NE(list.output.find("\ndescript-ion    "), std::string::npos);
}

// Either spelling, or an abbreviation of both, is the one option; a number
// at either end of its range is taken.
TEST(TolvbaseNormalize, KeepColorsIsKeepColoursAndWidthTakesItsLimits) {
  std::string listing = entry_line("ZAP.COM", "128", "12-31-99", "@X0FZaps") + "\r\n";
  Outcome plain = run_tolvbase({"normalize", "-"}, listing);
  EXPECT_EQ(plain.output.find("@X0F"), std::string::npos) << plain.output;
  for (const char* keep : {"--keep-colours", "--keep-colors", "--keep-col"}) {
    Outcome kept = run_tolvbase({"normalize", keep, "-"}, listing);
    EXPECT_EQ(kept.status, 0) << keep << kept.errors;
    EXPECT_NE(kept.output.find("@X0FZaps"), std::string::npos) << keep << kept.output;
  }
  for (const char* width : {"--width=10", "--width=50"})
    EXPECT_EQ(run_tolvbase({"normalize", width, "-"}, listing).status, 0) << width;
}

// ------------------------------------------------------------------ scan

// A folder without a listing: archives with and without a FILE_ID.DIZ, a
// text named .ZIP, a name tolvconv cannot carry, and last night's report.
TEST(TolvbaseScan, EveryFileInNameOrderDescribedFromItsArchive) {
  TempDir dir;
  std::string diz = archive_bytes(ArchiveFormat::Zip, {{"FILE_ID.DIZ", "Zaps a file.\r\n"}});
  std::string bare = archive_bytes(ArchiveFormat::SevenZip, {{"ZAP.COM", "code"}});
  write_file(dir / "b.zip", diz);
  write_file(dir / "A.7Z", bare);
  write_file(dir / "TEXT.ZIP", "a text\n");
  write_file(dir / "A Long Name.zip", diz);
  write_file(dir / "report.txt", "old");
  // Every file was written today.
  char today[16];
  time_t now = time(nullptr);
  struct tm local {};
  strftime(today, sizeof today, "%m-%d-%y", localtime_r(&now, &local));
  auto entry = [&](const std::string& name, const std::string& bytes, const std::string& text) {
    std::string line = entry_line(name, std::to_string(bytes.size()), today, text);
    return line.erase(line.find_last_not_of(' ') + 1) + "\r\n";
  };

  Outcome scan = run_tolvbase({"scan", "--report", dir / "report.txt", dir.path});
  EXPECT_EQ(scan.status, 1);  // a name not carried
  EXPECT_EQ(scan.errors, "");
  EXPECT_EQ(scan.output, entry("A.7Z", bare, "") + entry("TEXT.ZIP", "a text\n", "") +
                             entry("b.zip", diz, "Zaps a file."));
  EXPECT_EQ(read_file(dir / "report.txt"),
            "0: orphan: 'report.txt' is the listing read or written: not an entry\n"
            "0: orphan: 'A Long Name.zip' is not named by the listing: an entry is made from the "
            "file\n"
            "0: not-carried: 'A Long Name.zip' is not written: a name with a blank cannot be "
            "carried\n"
            "0: orphan: 'A.7Z' is not named by the listing: an entry is made from the file\n"
            "0: no-description: 'A.7Z' holds no FILE_ID.DIZ or DESC.SDI at its top\n"
            "0: orphan: 'TEXT.ZIP' is not named by the listing: an entry is made from the file\n"
            "0: not-archive: 'TEXT.ZIP' is text, not an archive\n"
            "0: orphan: 'b.zip' is not named by the listing: an entry is made from the file\n"
            "summary: layout empty (0 lines fit it), 0 lines read: 3 entries written, 1 entry "
            "not carried, 0 description lines joined to entries, 0 blank lines, rules and title "
            "rows skipped, 0 lines dropped; 0 sizes or dates differing from the files, 4 "
            "orphans (3 written); 1 description from archives\n");

  // The same as normalizing an empty listing with --orphans --describe.
  TempDir elsewhere;
  write_file(elsewhere / "empty.lst", "");
  Outcome normalized =
      run_tolvbase({"normalize", "--dir", dir.path, "--orphans", "--describe", "--json", "--report",
                    dir / "report.txt", elsewhere / "empty.lst"});
  EXPECT_EQ(normalized.output, scan.output);
  EXPECT_EQ(normalized.status, 1);
  std::string json = read_file(dir / "report.txt");
  EXPECT_NE(json.find("\"kind\": \"no-description\", \"name\": \"A.7Z\""), std::string::npos)
      << json;
  EXPECT_NE(json.find("\"orphans\": 4, \"orphans_written\": 3, \"described\": 1}"),
            std::string::npos)
      << json;

  Outcome not_dir = run_tolvbase({"scan", dir / "b.zip"});
  EXPECT_EQ(not_dir.status, 2);
  EXPECT_EQ(not_dir.errors, "tolvbase: '" + dir / "b.zip" + "' is not a directory\n");
}

}  // namespace
}  // namespace tolv::test
