// The built binary with -DUPE: which entries a run skips, and that a skipped
// entry leaves both files and the progress line alone.
#include <gtest/gtest.h>

#include "e2e/programs.h"
#include "filebase/record.h"
#include "support/child.h"
#include "support/listing_text.h"
#include "support/stored_base.h"

namespace tolv::test {
namespace {

// A 75-character name that still makes a file entry line: its own dashes
// fall in columns 26 and 29.
std::string long_name() {
  std::string name(75, 'N');
  name[25] = name[28] = '-';
  return name;
}

TEST(Dupe, SecondRunOverTheSameListingChangesNothing) {
  TempDir dir;
  write_file(dir / "in.lst", entry_line("ONE.ZIP", "10", "01-15-95", "one") + "\r\n" +
                                 continuation_line("more one") + "\r\n" +
                                 entry_line("", "20", "01-15-95", "no name") + "\r\n" +
                                 long_name() + " 30 " + "\r\n" +
                                 entry_line("TWO.ZIP", "40", "01-15-95", "two") + "\r\n");
  Outcome first = run_tolvconv({dir / "in.lst", dir / "base", "-DUPE"});
  ASSERT_EQ(first.status, 0);
  EXPECT_TRUE(first.output.ends_with(
      "\nProcessing: 1 files ... 2 files ... 3 files ... 4 files ... DONE.\n"))
      << first.output;
  std::string records = read_file(dir / "base.dir");
  std::string lines = read_file(dir / "base.des");
  EXPECT_EQ(names_in(records),
            (std::vector<std::string>{"ONE.ZIP", "", long_name().substr(0, 70), "TWO.ZIP"}));

  Outcome second = run_tolvconv({dir / "in.lst", dir / "base", "-dupe"});
  EXPECT_EQ(second.status, 0);
  EXPECT_TRUE(second.output.ends_with("\nProcessing: DONE.\n")) << second.output;
  EXPECT_EQ(read_file(dir / "base.dir"), records);
  EXPECT_EQ(read_file(dir / "base.des"), lines);

  // Without the switch every entry is appended again.
  Outcome plain = run_tolvconv({dir / "in.lst", dir / "base"});
  EXPECT_EQ(plain.status, 0);
  EXPECT_TRUE(plain.output.ends_with("4 files ... DONE.\n")) << plain.output;
  std::string again = read_file(dir / "base.dir");
  ASSERT_EQ(again.size(), 2 * records.size());
  EXPECT_EQ(again.substr(0, records.size()), records);
  EXPECT_EQ(names_in(again.substr(records.size())), names_in(records));
  EXPECT_EQ(read_file(dir / "base.des").size(), 2 * lines.size());
}

TEST(Dupe, SameNameTwiceInOneListingIsAppendedOnce) {
  TempDir dir;
  write_file(dir / "in.lst", entry_line("A.ZIP", "10", "01-15-95", "first") + "\n" +
                                 continuation_line("more A") + "\n" +
                                 entry_line("A.ZIP", "11", "01-15-95", "again") + "\n" +
                                 continuation_line("second A") + "\n" +
                                 entry_line("B.ZIP", "12", "01-15-95", "third") + "\n");
  Outcome run = run_tolvconv({dir / "in.lst", dir / "base", "-DUPE"});
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(run.output.ends_with("\nProcessing: 1 files ... 2 files ... DONE.\n")) << run.output;
  std::string records = read_file(dir / "base.dir");
  EXPECT_EQ(names_in(records), (std::vector<std::string>{"A.ZIP", "B.ZIP"}));
  // The skipped entry's lines, its continuation line among them, are gone.
  EXPECT_EQ(read_file(dir / "base.des"),
            "\x05"
            "first"
            "\x06"
            "more A"
            "\x05"
            "third");
  EXPECT_EQ(records_in(records)[1].DescPtr, 13);
}

TEST(Dupe, SkipsOnlyNamesOfCountingWholeRecords) {
  TempDir dir;
  std::string base =
      stored_record("KEEP.ZIP", 4) + stored_record("SKIP.ZIP", 8) + stored_record("demo.zip", 0);
  std::string fragment = stored_record("FRAG.ZIP", 0).substr(0, 100);
  write_file(dir / "base.dir", base + fragment);
  write_file(dir / "in.lst", entry_line("KEEP.ZIP", "1", "01-15-95", "flag 4") + "\n" +
                                 entry_line("SKIP.ZIP", "2", "01-15-95", "flag 8") + "\n" +
                                 entry_line("DEMO.ZIP", "3", "01-15-95", "case") + "\n" +
                                 entry_line("FRAG.ZIP", "4", "01-15-95", "fragment") + "\n");
  Outcome run = run_tolvconv({dir / "in.lst", dir / "base", "-Dupe"});
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(run.output.ends_with("\nProcessing: 1 files ... 2 files ... 3 files ... DONE.\n"))
      << run.output;
  std::string after = read_file(dir / "base.dir");
  EXPECT_EQ(after.substr(0, base.size()), base);
  EXPECT_EQ(names_in(after), (std::vector<std::string>{"KEEP.ZIP", "SKIP.ZIP", "demo.zip",
                                                       "KEEP.ZIP", "DEMO.ZIP", "FRAG.ZIP"}));
  EXPECT_EQ(after.size(), 6u * kRecordSize);
}

}  // namespace
}  // namespace tolv::test
