// Processing the text buffer: wrapping, line ends, control bytes, the send
// buffer's writes and their failures.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "unit/console_fixture.h"

namespace tolv {
namespace {

using console_test::ConsoleTest;
using console_test::fake;
using console_test::take_output;

std::string print(std::string_view text) {
  console_write_text(text);
  console_flush();
  return take_output();
}

using Wrap = ConsoleTest;

TEST_F(Wrap, AtTheRightEdge) {
  start_terminal(24, 10, 1, 5);
  EXPECT_EQ(print("abcdefghijklmno"), "abcdefghij\r\nklmno");
  EXPECT_EQ(console_current_row(), 6);
  // Started mid-row: the first piece fills what is left of the row.
  EXPECT_EQ(print("pqrstuvw"), "pqrst\r\nuvw");
}

TEST_F(Wrap, OnTheBottomRowScrolls) {
  start_terminal(24, 10, 1, 24);
  EXPECT_EQ(print("abcdefghijklmnopqrstuv"), "abcdefghij\n\rklmnopqrst\n\ruv");
  EXPECT_EQ(console_current_row(), 24);
}

TEST_F(Wrap, ARunThatFillsTheRowStaysOnTheLastColumn) {
  start_terminal(24, 10, 1, 5);
  EXPECT_EQ(print("abcdefghij"), "abcdefghij");
  // The next run starts from column 10 with one column of room.
  EXPECT_EQ(print("k"), "k");
  EXPECT_EQ(print("lm"), "l\r\nm");
  // Within one run, though, the byte after the last column wraps.
  EXPECT_EQ(print("nopqrstuvwx"), "nopqrstuv\r\nwx");
}

TEST_F(Wrap, BellTakesAColumn) {
  start_terminal(24, 4, 1, 5);
  EXPECT_EQ(print("\a\a\a\a\a"), "\a\a\a\a\r\n\a");
}

TEST_F(Wrap, RedirectedAfterTheEightiethByte) {
  start_redirected();
  std::string line(85, 'x');
  EXPECT_EQ(print(line), std::string(80, 'x') + "\n" + std::string(5, 'x'));
}

using LineEnds = ConsoleTest;

TEST_F(LineEnds, TerminalFromEachPlace) {
  start_terminal(24, 80, 1, 5);
  EXPECT_EQ(print("\n"), "\x1b[1B");  // column 1: straight down
  EXPECT_EQ(print("ab\n"), "ab\r\n");
  EXPECT_EQ(console_current_row(), 7);
  console_move_cursor(1, 24);
  take_output();
  EXPECT_EQ(print("\n"), "\n\r");
  EXPECT_EQ(print("a\n"), "a\n\r");
  EXPECT_EQ(console_current_row(), 24);
}

TEST_F(LineEnds, RedirectedBottomRowIs25) {
  start_redirected();
  console_move_cursor(1, 24);
  EXPECT_EQ(print("a\n"), "a\n");
  EXPECT_EQ(console_current_row(), 25);
  EXPECT_EQ(print("b\n"), "b\n\r");
}

TEST_F(LineEnds, EndLineAppendsAndFlushes) {
  start_terminal(24, 80, 1, 5);
  console_write_text("ab");
  EXPECT_TRUE(fake.writes.empty());
  console_end_line();
  ASSERT_EQ(fake.writes.size(), 1u);
  EXPECT_EQ(fake.writes[0], "ab\r\n");
}

using ControlBytes = ConsoleTest;

TEST_F(ControlBytes, CarriageReturn) {
  start_terminal(24, 80, 1, 5);
  EXPECT_EQ(print("\r"), "");  // already at column 1
  EXPECT_EQ(print("abc\rd"), "abc\rd");
  start_redirected();
  EXPECT_EQ(print("abc\rd"), "abcd");
}

TEST_F(ControlBytes, BackspaceStopsAtColumnOne) {
  start_terminal(24, 80, 1, 5);
  EXPECT_EQ(print("\b"), "\b");
  console_move_cursor(2, 5);
  EXPECT_EQ(take_output(), "\x1b[1C");
  EXPECT_EQ(print("abc\b\b"), "abc\b\b");
  console_move_cursor(3, 5);  // 2 + 3 - 2
  EXPECT_EQ(take_output(), "");
}

TEST_F(ControlBytes, TabsGoToTheNextStop) {
  start_terminal(24, 80, 1, 5);
  EXPECT_EQ(print("\tx"), "        x");
  EXPECT_EQ(print("\ty"), "       y");        // from column 10 to 17
  EXPECT_EQ(print("abcdef\tz"), "abcdef z");  // from column 24 to 25
  EXPECT_EQ(print("\t|"), "       |");        // from column 26 to 33
}

TEST_F(ControlBytes, TabsWrapLikeText) {
  start_terminal(24, 20, 1, 5);
  // Column 18: the stop at 25 is 7 spaces away; 3 fit on the row.
  EXPECT_EQ(print("abcdefghijklmnopq\tx"), "abcdefghijklmnopq   \r\n    x");
  // A tab right after a run that filled its row starts the next row.
  EXPECT_EQ(print("\r0123456789abcdefghij\tx"), "\r0123456789abcdefghij\r\n        x");
}

TEST_F(ControlBytes, TabsInRedirectedOutput) {
  start_redirected();
  EXPECT_EQ(print("a\tb\n"), "a       b\n");
}

TEST_F(ControlBytes, EscIsShownOnATerminal) {
  start_terminal(24, 10, 1, 5);
  EXPECT_EQ(print("a\x1b[2Jb"), "a^[[2Jb");
  // Two columns: it wraps as two bytes.
  EXPECT_EQ(print("\rabcdefghi\x1b"), "\rabcdefghi^\r\n[");
}

TEST_F(ControlBytes, EscPassesUnchangedWhenRedirected) {
  start_redirected();
  EXPECT_EQ(print("a\x1b[2Jb"), "a\x1b[2Jb");
}

using Writes = ConsoleTest;

TEST_F(Writes, OneWritePerFlushUpToTheSendBuffer) {
  start_terminal(24, 2000, 1, 5);
  console_write_text(std::string(128, '\t'));  // 1024 spaces
  console_flush();
  ASSERT_EQ(fake.writes.size(), 1u);
  EXPECT_EQ(fake.writes[0].size(), 1024u);
  fake.writes.clear();

  console_write_text("\r" + std::string(128, '\t') + "x");  // CR and 1025 bytes
  console_flush();
  ASSERT_EQ(fake.writes.size(), 2u);
  EXPECT_EQ(fake.writes[0].size(), 1024u);
  EXPECT_EQ(fake.writes[1], " x");
}

TEST_F(Writes, FullTextBufferIsProcessedBeforeMoreIsAppended) {
  start_terminal(24, 2000, 1, 5);
  console_write_text(std::string(300, 'a'));
  ASSERT_EQ(fake.writes.size(), 1u);
  EXPECT_EQ(fake.writes[0], std::string(256, 'a'));
  console_flush();
  ASSERT_EQ(fake.writes.size(), 2u);
  EXPECT_EQ(fake.writes[1], std::string(44, 'a'));
}

TEST_F(Writes, EmptyFlushWritesNothing) {
  start_terminal(24, 80, 1, 5);
  console_flush();
  EXPECT_TRUE(fake.writes.empty());
}

TEST_F(Writes, FailedWriteIsIgnored) {
  start_terminal(24, 80, 1, 5);
  fake.writes_fail = true;
  console_write_text("abc");
  console_flush();
  EXPECT_EQ(take_output(), "abc");  // tried once, lost
  EXPECT_EQ(pending_error, 0);
  fake.writes_fail = false;
  // The lost bytes are not sent again and the cursor is tracked on as if
  // they had arrived.
  EXPECT_EQ(print("de"), "de");
  console_move_cursor(6, 5);
  EXPECT_EQ(take_output(), "");
}

TEST_F(Writes, ShortWriteLosesTheRest) {
  start_terminal(24, 80, 1, 5);
  fake.write_limit = 2;
  EXPECT_EQ(print("abcdef"), "abcdef");  // asked once, 2 taken
  EXPECT_EQ(print("g"), "g");
  EXPECT_EQ(pending_error, 0);
}

TEST_F(Writes, NothingIsAppendedWhileAFailureIsPending) {
  start_terminal(24, 80, 1, 5);
  pending_error = 101;
  console_write_text("abc");
  console_write_number(42);
  console_end_line();
  console_flush();
  EXPECT_TRUE(fake.writes.empty());
  EXPECT_EQ(console_current_row(), 5);
  EXPECT_EQ(pending_error, 101);
}

TEST_F(Writes, Numbers) {
  start_redirected();
  console_write_number(0);
  console_write_text(" ");
  console_write_number(-42);
  console_write_text(" ");
  console_write_number(INT64_MIN);
  console_write_text(" ");
  console_write_number(INT64_MAX);
  console_write_text(" ");
  console_write_number(32768);  // no 16-bit wrap
  console_flush();
  EXPECT_EQ(take_output(), "0 -42 -9223372036854775808 9223372036854775807 32768");
}

}  // namespace
}  // namespace tolv
