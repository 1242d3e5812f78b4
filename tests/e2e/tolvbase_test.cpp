// The built tolvbase binary on bases that tolvconv wrote, sound and damaged:
// standard output, standard error and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/child.h"

namespace tolv::test {
namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs tolvbase twice, once to capture each stream, and checks that both
// runs ended alike.
Result tolvbase(const std::vector<std::string>& args) {
  std::vector<std::string> argv{TOLVBASE_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  auto exec = [&](bool capture_err) {
    return run_in_child([&] {
      int null = ::open("/dev/null", O_WRONLY);
      if (capture_err) dup2(1, 2);
      dup2(null, capture_err ? 1 : 2);
      std::vector<char*> raw;
      for (const std::string& s : argv) raw.push_back(const_cast<char*>(s.c_str()));
      raw.push_back(nullptr);
      execv(raw[0], raw.data());
      _exit(252);
    });
  };
  Outcome out = exec(false);
  Outcome err = exec(true);
  EXPECT_EQ(out.status, err.status);
  return {out.status, out.output, err.output};
}

// The bundled sample converted into dir/sample.{dir,des}.
std::string convert_sample(const TempDir& dir) {
  Outcome run =
      run_binary({TOLVCONV_BINARY, TOLV_SOURCE_DIR "/examples/sample.lst", dir / "sample"});
  EXPECT_EQ(run.status, 0) << run.output;
  return dir / "sample";
}

void patch(const std::string& path, size_t at, const std::string& bytes) {
  std::string content = read_file(path);
  content.replace(at, bytes.size(), bytes);
  write_file(path, content);
}

std::string le32(int32_t value) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(value >> (8 * i));
  return s;
}

TEST(Tolvbase, ListOfTheSampleMatchesTheExpectedText) {
  TempDir dir;
  convert_sample(dir);
  // The base is named the way tolvconv names it: any extension is dropped.
  Result run = tolvbase({"list", dir / "sample.lst"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, read_file(TOLV_SOURCE_DIR "/examples/expected/sample.list.txt"));
}

TEST(Tolvbase, CheckFindsTheSampleSound) {
  TempDir dir;
  std::string base = convert_sample(dir);
  Result run = tolvbase({"check", base});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "6 records, 491 description bytes: sound\n");
  EXPECT_EQ(run.err, "");

  // An empty base is sound too.
  write_file(dir / "empty.dir", "");
  write_file(dir / "empty.des", "");
  run = tolvbase({"check", dir / "empty"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "0 records, 0 description bytes: sound\n");
}

// In the sample, records 0 to 5 start their descriptions at bytes 0, 120,
// 166, 232, 395 and 412 of a 491-byte description file.
TEST(Tolvbase, CheckNamesEachProblemWithItsRecord) {
  struct Case {
    size_t at;  // byte of the record file to overwrite
    std::string bytes;
    std::string report;
  } cases[] = {
      {2 * 120 + 0, "\x4b",
       "problem: record 2: FileName length byte 75 is past its capacity of 70\n"
       "6 records, 491 description bytes: 1 problem\n"},
      {4 * 120 + 80, "\x28",
       "problem: record 4: Origin length byte 40 is past its capacity of 30\n"
       "6 records, 491 description bytes: 1 problem\n"},
      {1 * 120 + 112, le32(-120),
       "problem: record 1: DescPtr -120 is negative\n"
       "note: description bytes 120-165 (46 bytes) belong to no record (an entry whose record "
       "was never written); the next conversion leaves them in place\n"
       "6 records, 491 description bytes: 1 problem, 1 note\n"},
      {3 * 120 + 112, le32(5000),
       "problem: record 3: DescPtr 5000 lies outside the description file (491 bytes)\n"
       "note: description bytes 232-394 (163 bytes) belong to no record (an entry whose record "
       "was never written); the next conversion leaves them in place\n"
       "6 records, 491 description bytes: 1 problem, 1 note\n"},
      {5 * 120 + 116, "\x09",
       "problem: record 5: description line 4 of 9 (from byte 491) runs past the end of the "
       "description file (491 bytes)\n"
       "6 records, 491 description bytes: 1 problem\n"},
      {0 * 120 + 116, std::string(1, '\0'),
       "problem: record 0: DescLines is 0\n"
       "note: description bytes 0-119 (120 bytes) belong to no record (an entry whose record "
       "was never written); the next conversion leaves them in place\n"
       "6 records, 491 description bytes: 1 problem, 1 note\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    std::string base = convert_sample(dir);
    patch(base + ".dir", c.at, c.bytes);
    Result run = tolvbase({"check", base});
    EXPECT_EQ(run.status, 1) << c.report;
    EXPECT_EQ(run.out, c.report);
    EXPECT_EQ(run.err, "");
  }
}

TEST(Tolvbase, LeftoversOfAnInterruptedConversionAreNotes) {
  TempDir dir;
  std::string base = convert_sample(dir);
  write_file(base + ".des", read_file(base + ".des") +
                                "\x03"
                                "abc");
  write_file(base + ".dir", read_file(base + ".dir") + std::string(37, 'r'));
  Result run = tolvbase({"check", base});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "note: the record file ends in a fragment of 37 bytes after its 6 whole records (a "
            "record write cut short); the next conversion writes over it\n"
            "note: description bytes 491-494 (4 bytes) belong to no record (an entry whose "
            "record was never written); the next conversion leaves them in place\n"
            "6 records, 495 description bytes: sound, 2 notes\n");
}

TEST(Tolvbase, ListShowsTheProblemsOfADamagedRecord) {
  TempDir dir;
  std::string base = convert_sample(dir);
  patch(base + ".dir", 4 * 120 + 116, std::string(1, '\0'));
  Result run = tolvbase({"list", base});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("record 4\n  name    MODEMPRO.ZIP\n"), std::string::npos);
  EXPECT_NE(run.out.find("  lines   0 at byte 395\n  ! DescLines is 0\n\nrecord 5\n"),
            std::string::npos)
      << run.out;
}

TEST(Tolvbase, UsageErrorsGoToStandardErrorWithStatusTwo) {
  const std::string usage =
      "Usage: tolvbase list BASE\n"
      "       tolvbase check [--strict] BASE\n"
      "       tolvbase preview LISTING [BASE] [--entries] [--json] [--encoding "
      "cp437|latin1|raw]\n"
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
    Result run = tolvbase(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.out, "") << c.message;
    EXPECT_EQ(run.err, "tolvbase: " + c.message + "\n" + usage);
  }
}

TEST(Tolvbase, HelpAndVersionGoToStandardOutput) {
  Result help = tolvbase({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("Usage: tolvbase list BASE\n       tolvbase check [--strict] BASE\n", 0),
            0u)
      << help.out;
  EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);

  Result version = tolvbase({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "tolvbase (TOLVCONV) 1.1\nCopyright (C) 2026 The TOLVCONV Authors\n");
}

TEST(Tolvbase, AFileThatCannotBeOpenedIsNamedOnStandardError) {
  TempDir dir;
  Result run = tolvbase({"check", dir / "none.x"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "tolvbase: cannot open '" + dir / "none.dir" + "': No such file or directory\n");

  // A record file without its description file.
  write_file(dir / "half.dir", "");
  run = tolvbase({"list", dir / "half"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "tolvbase: cannot open '" + dir / "half.des" + "': No such file or directory\n");
}

}  // namespace
}  // namespace tolv::test
