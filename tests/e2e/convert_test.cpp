// The built binary, run the way a sysop runs it: files, standard output and
// exit status compared byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "e2e/programs.h"
#include "filebase/record.h"
#include "support/banner.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/listing_text.h"

namespace tolv::test {
namespace {

TEST(Convert, UsageWithFewerThanTwoArguments) {
  TempDir dir;
  for (auto args : {std::vector<std::string>{}, std::vector<std::string>{dir / "x.lst"}}) {
    Outcome run = run_tolvconv(args, "", dir.path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, kBanner + "Usage: [PCBoard File]  [Tolvane BBS File]  -DUPE\n");
  }
  EXPECT_FALSE(file_exists(dir / ".dir"));
  EXPECT_FALSE(file_exists(dir / "x.dir"));
}

TEST(Convert, MissingListingNamesThePathAsTypedAndCreatesNothing) {
  TempDir dir;
  // A relative path keeps the line within 80 columns; the console wraps
  // longer lines (tests/e2e/console_redirected_test.cpp).
  Outcome run = run_tolvconv({"nope//missing.lst", "base"}, "", dir.path);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, kBanner + "\aERROR: PCBoard file listing (nope//missing.lst) not found.\n");
  EXPECT_FALSE(file_exists(dir / "base.dir"));
  EXPECT_FALSE(file_exists(dir / "base.des"));
}

TEST(Convert, SampleListingMatchesTheExpectedFileBase) {
  TempDir dir;
  Outcome run = run_tolvconv({TOLV_SOURCE_DIR "/examples/sample.lst", dir / "sample.xyz"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kBanner +
                            "Processing: 1 files ... 2 files ... 3 files ... 4 files ... "
                            "5 files ... 6 files ... DONE.\n");
  EXPECT_EQ(read_file(dir / "sample.dir"),
            read_file(TOLV_SOURCE_DIR "/examples/expected/sample.dir"));
  EXPECT_EQ(read_file(dir / "sample.des"),
            read_file(TOLV_SOURCE_DIR "/examples/expected/sample.des"));
}

TEST(Convert, EmptyListingCreatesEmptyFilesAndLeavesAnExistingBaseAlone) {
  TempDir dir;
  write_file(dir / "empty.lst", "Just a header\r\n\r\n");
  Outcome run = run_tolvconv({dir / "empty.lst", dir / "base"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kBanner + "Processing: DONE.\n");
  EXPECT_EQ(read_file(dir / "base.dir"), "");
  EXPECT_EQ(read_file(dir / "base.des"), "");

  std::string records(250, 'r'), lines(77, 'd');
  write_file(dir / "base.dir", records);
  write_file(dir / "base.des", lines);
  run = run_tolvconv({dir / "empty.lst", dir / "base"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(read_file(dir / "base.dir"), records);
  EXPECT_EQ(read_file(dir / "base.des"), lines);
}

TEST(Convert, DirectoryAsListingReadsAsEmpty) {
  TempDir dir;
  Outcome run = run_tolvconv({dir.path, dir / "base"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kBanner + "Processing: DONE.\n");
  EXPECT_TRUE(file_exists(dir / "base.dir"));
}

TEST(Convert, EmptyFirstArgumentReadsStandardInput) {
  TempDir dir;
  Outcome run =
      run_tolvconv({"", dir / "base"}, entry_line("ONE.ZIP", "10", "01-15-95", "first") + "\n" +
                                           entry_line("TWO.ZIP", "20", "01-15-95", "second"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kBanner + "Processing: 1 files ... 2 files ... DONE.\n");
  EXPECT_EQ(read_file(dir / "base.dir").size(), 240u);
}

TEST(Convert, AppendsAfterExistingRecordsOverATrailingFragment) {
  TempDir dir;
  write_file(dir / "one.lst", entry_line("ONE.ZIP", "10", "01-15-95", "first") + "\n");
  std::string records(2 * 120, 'r'), lines(30, 'd');
  write_file(dir / "base.dir", records + std::string(50, 'f'));
  write_file(dir / "base.des", lines);
  Outcome run = run_tolvconv({dir / "one.lst", dir / "base"});
  ASSERT_EQ(run.status, 0);
  std::string after = read_file(dir / "base.dir");
  ASSERT_EQ(after.size(), 3 * 120u);
  EXPECT_EQ(after.substr(0, 240), records);
  EXPECT_EQ(after[240], 7);                                       // FileName length of ONE.ZIP
  EXPECT_EQ(after.substr(352, 4), std::string("\x1e\0\0\0", 4));  // DescPtr 30
  EXPECT_EQ(read_file(dir / "base.des"), lines +
                                             "\x05"
                                             "first");
}

TEST(Convert, BaseInAMissingDirectoryEndsWithCodeTwo) {
  TempDir dir;
  write_file(dir / "one.lst", entry_line("ONE.ZIP", "10", "01-15-95", "first") + "\n");
  Outcome run = run_tolvconv({dir / "one.lst", dir / "no/such/base"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.output.substr(0, kBanner.size()), kBanner);
  ErrorMessage message = parse_error_message(run.output);
  EXPECT_TRUE(message.found && message.code == 2) << run.output;
}

TEST(Convert, FullDescriptionFileEndsWith101AndWritesNoRecord) {
  TempDir dir;
  write_file(dir / "one.lst", entry_line("ONE.ZIP", "10", "01-15-95", "first") + "\n");
  ASSERT_EQ(symlink("/dev/full", (dir / "base.des").c_str()), 0);
  Outcome run = run_tolvconv({dir / "one.lst", dir / "base"});
  EXPECT_EQ(run.status, 101);
  EXPECT_NE(run.output.find("Processing: 1 files ... Runtime error 101 at 0x"), std::string::npos)
      << run.output;
  EXPECT_EQ(read_file(dir / "base.dir"), "");
}

}  // namespace
}  // namespace tolv::test

namespace tolv::test {
namespace {

// Arguments are taken whole: a path too long for the system fails as such
// (code 3) instead of being cut into the name of another file.
TEST(Convert, OverlongPathsAreRefusedNotCut) {
  TempDir dir;
  write_file(dir / "one.lst", entry_line("ONE.ZIP", "10", "01-15-95", "first") + "\n");
  std::string long_name(300, 'n');  // longer than a file name may be
  Outcome run = run_tolvconv({dir / "one.lst", dir / long_name});
  EXPECT_EQ(run.status, 3);
  ErrorMessage message = parse_error_message(run.output);
  EXPECT_TRUE(message.found && message.code == 3) << run.output;

  run = run_tolvconv({dir / long_name, dir / "base"});
  EXPECT_EQ(run.status, 1);
  std::string unwrapped = run.output;  // the console breaks the line every 80 bytes
  std::erase(unwrapped, '\n');
  EXPECT_NE(unwrapped.find("/" + long_name + ") not found."), std::string::npos) << run.output;
  EXPECT_FALSE(file_exists(dir / "base.dir"));
}

// A standard stream that is closed when the run starts stays closed: no file
// of the base may take its descriptor, so nothing meant for it lands there.
TEST(Convert, ClosedStandardStreamsNeverReceiveTheBase) {
  TempDir dir;
  const std::string sample = TOLV_SOURCE_DIR "/examples/sample.lst";
  ASSERT_EQ(run_tolvconv({sample, dir / "base"}).status, 0);
  const std::string records = read_file(dir / "base.dir");
  const std::string descriptions = read_file(dir / "base.des");
  auto closed_run = [&](const std::string& listing, const std::string& third) {
    return run_in_child([&] {
      close(0);
      close(1);
      exec_argv({TOLVCONV_BINARY, listing, dir / "base", third});
    });
  };
  // Every entry is a duplicate: the console's writes fail and are ignored.
  EXPECT_EQ(closed_run(sample, "-DUPE").status, 0);
  EXPECT_EQ(read_file(dir / "base.dir"), records);
  EXPECT_EQ(read_file(dir / "base.des"), descriptions);
  // A listing read from the closed standard input fails as an invalid handle.
  EXPECT_EQ(closed_run("", "").status, 6);
  EXPECT_EQ(read_file(dir / "base.dir"), records);
  EXPECT_EQ(read_file(dir / "base.des"), descriptions);
}

// Conversions into one base wait for each other: every record keeps its own
// text, whatever the order the runs took.
TEST(Convert, ConversionsStartedTogetherKeepEveryRecordWithItsOwnText) {
  constexpr int kWriters = 4;
  constexpr int kEntries = 2000;
  TempDir dir;
  auto listing_of = [&](int w) { return dir / (std::to_string(w) + ".lst"); };
  for (int w = 0; w < kWriters; ++w) {
    std::string text;
    for (int i = 0; i < kEntries; ++i) {
      char name[16];
      snprintf(name, sizeof name, "W%d_%d", w, i);
      text += entry_line(name, "1", "01-15-95", std::string("text of ") + name) + "\r\n";
    }
    write_file(listing_of(w), text);
  }
  for (int round = 0; round < 3; ++round) {
    unlink((dir / "base.dir").c_str());
    unlink((dir / "base.des").c_str());
    // The writers wait on a pipe and start when it is closed.
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < kWriters; ++w) {
      pid_t pid = fork();
      if (pid == 0) {
        close(start[1]);
        char byte;
        if (read(start[0], &byte, 1) != 0) _exit(253);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        exec_argv({TOLVCONV_BINARY, listing_of(w), dir / "base"});
      }
      writers.push_back(pid);
    }
    close(start[0]);
    close(start[1]);
    for (pid_t pid : writers) {
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
    }
    std::string records = read_file(dir / "base.dir");
    std::string descriptions = read_file(dir / "base.des");
    ASSERT_EQ(records.size(), size_t{kWriters * kEntries * kRecordSize}) << "round " << round;
    std::set<std::string> names;
    for (size_t at = 0; at < records.size(); at += kRecordSize) {
      FileRecord record = decode_record(reinterpret_cast<const uint8_t*>(records.data() + at));
      std::string name(record.FileName.view());
      names.insert(name);
      ASSERT_EQ(record.DescLines, 1);
      ASSERT_LT(size_t(record.DescPtr), descriptions.size());
      size_t length = static_cast<uint8_t>(descriptions[record.DescPtr]);
      ASSERT_EQ(descriptions.substr(record.DescPtr + 1, length), "text of " + name)
          << "round " << round << ", record " << at / kRecordSize;
    }
    EXPECT_EQ(names.size(), size_t{kWriters * kEntries});
  }
}

}  // namespace
}  // namespace tolv::test
