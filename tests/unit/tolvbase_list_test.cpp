// What `tolvbase list` shows: dates, texts that could upset a terminal, and
// a damaged record listed as far as it can be read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "companion/base.h"
#include "companion/date_text.h"
#include "companion/output.h"
#include "companion/text.h"
#include "filebase/record.h"
#include "support/child.h"
#include "tolvbase/list.h"

namespace tolv {
namespace {

using test::TempDir;

TEST(TolvbaseText, DatesAsStoredWithTheTimeOnlyWhenItIsNotMidnight) {
  EXPECT_EQ(date_time_text(0x1A410000), "1993-02-01");
  EXPECT_EQ(date_time_text(0xC79F0000), "2079-12-31");
  EXPECT_EQ(date_time_text(0x00210000), "1980-01-01");
  // 11:17:30 is hour 11, minute 17, second 30 / 2.
  EXPECT_EQ(date_time_text(0x1A410000 | 11 << 11 | 17 << 5 | 15), "1993-02-01 11:17:30");
  EXPECT_EQ(date_time_text(0x1A410001), "1993-02-01 00:00:02");
  // Out-of-range fields are shown, not mended: month 14 day 8, month 0 day 0.
  EXPECT_EQ(date_time_text(0x27C80000), "1999-14-08");
  EXPECT_EQ(date_time_text(0x28000000), "2000-00-00");
  EXPECT_EQ(date_time_text(0xFFFFFFFF), "2107-15-31 31:63:62");
}

TEST(TolvbaseText, ControlCharactersAreEscapedAndOtherBytesPass) {
  struct Case {
    std::string text, rule, cp437;  // escape_controls, escape_line_controls
  } cases[] = {
      {"PLAIN.ZIP", "PLAIN.ZIP", "PLAIN.ZIP"},
      {std::string("A\x1b[2J\0B", 7), "A\\x1B[2J\\x00B", "A\\x1B[2J\\x00B"},
      {"tab\there\r\n\x7f", "tab\\x09here\\x0D\\x0A\\x7F", "tab\\x09here\\x0D\\x0A\\x7F"},
      // Raw C1 and C1 in UTF-8: CSI on a terminal either way.
      {"a\x9b[2Jb\xc2\x9b[2J", "a\\x9B[2Jb\\xC2\\x9B[2J", "a\x9b[2Jb\xc2\x9b[2J"},
      {"\x1a \x80\x9f\xa0\xe9\xff", "\\x1A \\x80\\x9F\xa0\xe9\xff", "\\x1A \x80\x9f\xa0\xe9\xff"},
      // UTF-8 letters with a byte 0x80-0x9F pass whole: U+00C4, U+0100,
      // U+209B, U+20AC; U+00A0 is the first code point past C1.
      {"\xc3\x84\xc4\x80\xe2\x82\x9b\xe2\x82\xac\xc2\xa0",
       "\xc3\x84\xc4\x80\xe2\x82\x9b\xe2\x82\xac\xc2\xa0",
       "\xc3\x84\xc4\x80\xe2\x82\x9b\xe2\x82\xac\xc2\xa0"},
      // A sequence cut short or overlong: its bytes on their own.
      {"\xc2\xe2\x82x\xc0\x9b", "\xc2\xe2\\x82x\xc0\\x9B", "\xc2\xe2\x82x\xc0\x9b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(escape_controls(c.text), c.rule) << c.text;
    EXPECT_EQ(escape_line_controls(c.text), c.cp437) << c.text;
    // Escaped twice is escaped once, whichever came first.
    EXPECT_EQ(escape_controls(c.rule), c.rule) << c.text;
    EXPECT_EQ(escape_controls(c.cp437), c.rule) << c.text;
    EXPECT_EQ(tolv::quoted(c.text), "'" + c.rule + "'");
  }
}

TEST(TolvbaseList, DamagedRecordIsListedAsFarAsItCanBeRead) {
  TempDir dir;
  FileRecord record;
  record.FileName.assign("BAD\x07.ZIP");
  record.Size = -1;
  record.DateTime = 0x1E2F0000;
  record.Origin.assign("elsewhere");
  record.Flags = kFlagNoDupeCheck | 0x80;
  record.DescPtr = 0;
  record.DescLines = 3;
  uint8_t bytes[kRecordSize];
  encode_record(record, bytes);
  bytes[0] = 75;  // FileName length past its capacity
  test::write_file(dir / "b.dir", std::string(reinterpret_cast<char*>(bytes), kRecordSize));
  test::write_file(dir / "b.des", std::string("\x04"
                                              "kept"
                                              "\x00"
                                              "\x09"
                                              "cut",
                                              10));

  int fd = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  ReadOnlyBase base;
  std::string error;
  ASSERT_TRUE(open_base(base, dir / "b", error)) << error;
  Output out;
  out.fd = fd;
  EXPECT_TRUE(list_base(base, Decoder{}, out));
  EXPECT_TRUE(flush(out));
  close_base(base);
  ::close(fd);

  // The name shows its 70 bytes of capacity: the 8 given, then the zeros
  // the record was padded with.
  std::string name = "BAD\\x07.ZIP";
  for (int i = 8; i < kFileNameCapacity; ++i) name += "\\x00";
  EXPECT_EQ(test::read_file(dir / "out"),
            "record 0\n"
            "  name    " +
                name +
                "\n"
                "  size    -1\n"
                "  date    1995-01-15\n"
                "  origin  elsewhere\n"
                "  flags   0x84 (not counted by the duplicate check)\n"
                "  lines   3 at byte 0\n"
                "  | kept\n"
                "  | \n"
                "  ! FileName length byte 75 is past its capacity of 70\n"
                "  ! description line 3 of 3 (from byte 6) runs past the end of the description "
                "file (10 bytes)\n");
}

}  // namespace
}  // namespace tolv
