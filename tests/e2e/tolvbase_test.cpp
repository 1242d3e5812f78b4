// The built tolvbase binary on bases that tolvconv wrote, sound and damaged:
// standard output, standard error and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "e2e/programs.h"
#include "filebase/record.h"
#include "support/child.h"
#include "support/stored_base.h"

namespace tolv::test {
namespace {

// The bundled sample converted into dir/sample.{dir,des}.
std::string convert_sample(const TempDir& dir) {
  Outcome run = run_tolvconv({TOLV_SOURCE_DIR "/examples/sample.lst", dir / "sample"});
  EXPECT_EQ(run.status, 0) << run.output;
  return dir / "sample";
}

// The base with one field of one record overwritten.
void damage(const std::string& base, int record, int at, int32_t value, bool four_bytes = false) {
  StoredBase stored = read_base(base);
  if (four_bytes)
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
  Outcome run = run_tolvbase({"check", base});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "6 records, 491 description bytes: sound\n");
  EXPECT_EQ(run.errors, "");

  // An empty base is sound too.
  write_file(dir / "empty.dir", "");
  write_file(dir / "empty.des", "");
  run = run_tolvbase({"check", dir / "empty"});
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
    damage(base, c.record, c.at, c.value, c.at == kDescPtrAt);
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
      "Usage: tolvbase list BASE\n"
      "       tolvbase check BASE\n"
      "Try 'tolvbase --help' for more information.\n";
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{}, "missing command"},
      {{"show", "x"}, "unknown command 'show'"},
      {{"-l", "x"}, "unknown option '-l'"},
      {{"list"}, "list takes one BASE argument"},
      {{"check", "a", "b"}, "check takes one BASE argument"},
  };
  for (const Case& c : cases) {
    Outcome run = run_tolvbase(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.output, "") << c.message;
    EXPECT_EQ(run.errors, "tolvbase: " + c.message + "\n" + usage);
  }
}

TEST(Tolvbase, HelpAndVersionGoToStandardOutput) {
  Outcome help = run_tolvbase({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.errors, "");
  EXPECT_EQ(help.output.rfind("Usage: tolvbase list BASE\n       tolvbase check BASE\n\n", 0), 0u)
      << help.output;
  EXPECT_NE(help.output.find("Exit status: 0"), std::string::npos);

  Outcome version = run_tolvbase({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output, "tolvbase (TOLVCONV) 1.1\nCopyright (C) 2026 The TOLVCONV Authors\n");
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
}

TEST(Tolvbase, AFileThatCannotBeOpenedIsNamedOnStandardError) {
  TempDir dir;
  Outcome run = run_tolvbase({"check", dir / "none.x"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.errors,
            "tolvbase: cannot open '" + dir / "none.dir" + "': No such file or directory\n");

  // A record file without its description file.
  write_file(dir / "half.dir", "");
  run = run_tolvbase({"list", dir / "half"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "tolvbase: cannot open '" + dir / "half.des" + "': No such file or directory\n");
}

}  // namespace
}  // namespace tolv::test
