// Reading the terminal's answer to the cursor position query.
#include <gtest/gtest.h>

#include <string>

#include "console/position_query.h"
#include "unit/console_fixture.h"

namespace tolv {
namespace {

Cursor parse(std::string_view bytes) {
  return parse_position_reply(bytes, 80, 24);
}

constexpr Cursor kNone{0, 0};

TEST(PositionReply, PlainAnswer) {
  EXPECT_EQ(parse("\x1b[5;1R"), (Cursor{1, 5}));
  EXPECT_EQ(parse("\x1b[24;80R"), (Cursor{80, 24}));
  EXPECT_EQ(parse("\x1b[007;012R"), (Cursor{12, 7}));
}

TEST(PositionReply, KeysTypedAroundTheAnswer) {
  EXPECT_EQ(parse("ab\x1b[5;3R"), (Cursor{3, 5}));
  EXPECT_EQ(parse("\x1b[5;3Rxyz"), (Cursor{3, 5}));
  // A '[' typed before the answer is taken for its start: the text after it
  // is not an answer.
  EXPECT_EQ(parse("[[\x1b[5;3R"), kNone);
  // A place where '[' follows counts as the start even without an ESC.
  EXPECT_EQ(parse("x[5;3R"), (Cursor{3, 5}));
}

TEST(PositionReply, TooFewBytes) {
  EXPECT_EQ(parse(""), kNone);
  EXPECT_EQ(parse("\x1b[1;1"), kNone);  // 5 bytes: no offset i with i + 5 < 5
  EXPECT_EQ(parse("\x1b[1;1R"), (Cursor{1, 1}));
  // The ESC is too late in the bytes to be looked at.
  EXPECT_EQ(parse("abcd\x1b[1;"), kNone);
}

TEST(PositionReply, MalformedAnswers) {
  EXPECT_EQ(parse("\x1b[5,1R.."), kNone);   // no ';'
  EXPECT_EQ(parse("\x1b[5;12345"), kNone);  // no 'R'
  EXPECT_EQ(parse("\x1b[5;1xR"), kNone);    // column not a number
  EXPECT_EQ(parse("\x1b[;1R.."), kNone);    // empty row
  EXPECT_EQ(parse("\x1b[+5;1R"), kNone);    // a sign is not a digit
  EXPECT_EQ(parse("\x1b[5;R..."), kNone);   // empty column
}

TEST(PositionReply, RowZeroIsNoAnswer) {
  EXPECT_EQ(parse("\x1b[0;5R"), kNone);
  EXPECT_EQ(parse("\x1b[5;0R"), kNone);
}

TEST(PositionReply, AnswerTextIsAtMostSixteenBytes) {
  // "1;" and 13 digits and R: 16 bytes after ESC [.
  EXPECT_EQ(parse("\x1b[1;0000000000001R"), (Cursor{1, 1}));
  // One digit more pushes the 'R' out of the text.
  EXPECT_EQ(parse("\x1b[1;00000000000001R"), kNone);
}

TEST(PositionReply, BeyondTheScreenIsClamped) {
  EXPECT_EQ(parse("\x1b[30;5R"), (Cursor{5, 24}));
  EXPECT_EQ(parse("\x1b[3;200R"), (Cursor{80, 3}));
  // Numbers are kept whole: 261 is not 5 (no 8-bit wrap), and a number too
  // big for any integer type still clamps.
  EXPECT_EQ(parse_position_reply("\x1b[261;300R", 400, 300), (Cursor{300, 261}));
  EXPECT_EQ(parse("\x1b[9999999999;1R"), (Cursor{1, 24}));
}

using console_test::ConsoleTest;
using console_test::fake;
using console_test::take_output;

using PositionQuery = ConsoleTest;

TEST_F(PositionQuery, AsksOnStdinAndReadsStdout) {
  fake.reply = "\x1b[7;9R";
  EXPECT_EQ(query_position(80, 24, true), (Cursor{9, 7}));
  EXPECT_EQ(fake.stdin_bytes, "\x1b[6n");
  EXPECT_TRUE(fake.writes.empty());
  EXPECT_EQ(fake.wait_fd, 1);
  EXPECT_EQ(fake.wait_timeout, 1000);
  EXPECT_EQ(fake.read_count, 256u);
}

TEST_F(PositionQuery, ReadsOnceAndDropsTheRest) {
  fake.reply = std::string(251, 'k') + "\x1b[7;9R";  // its R is byte 257
  EXPECT_EQ(query_position(80, 24, true), kNone);
  EXPECT_EQ(fake.reply, "R");  // left unread
}

}  // namespace
}  // namespace tolv
