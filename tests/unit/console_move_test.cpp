// The move rule: which bytes take the cursor from one place to another, and
// how console_move_cursor uses it.
#include <gtest/gtest.h>

#include <string>

#include "console/move.h"
#include "unit/console_fixture.h"

namespace tolv {
namespace {

struct MoveCase {
  Cursor from;
  Cursor to;
  std::string terminal;
  std::string redirected;
};

TEST(MoveRule, FirstMatchingLineDecides) {
  const MoveCase cases[] = {
      {{7, 3}, {7, 3}, "", ""},                     // nowhere
      {{7, 3}, {1, 3}, "\r", ""},                   // to column 1 of the row
      {{13, 3}, {25, 3}, "\x1b[12C", ""},           // right
      {{25, 3}, {13, 3}, "\x1b[12D", ""},           // left
      {{13, 3}, {14, 3}, "\x1b[1C", ""},            // count 1 is written
      {{5, 3}, {5, 4}, "\x1b[1B", "\n"},            // down one in the same column
      {{1, 3}, {1, 4}, "\x1b[1B", "\n"},            // a line end from column 1
      {{5, 3}, {5, 20}, "\x1b[17B", ""},            // down several
      {{5, 9}, {5, 2}, "\x1b[7A", ""},              // up
      {{9, 3}, {1, 4}, "\r\n", "\n"},               // next line's start
      {{9, 3}, {1, 5}, "\x1b[5;1H", ""},            // two rows down: absolute
      {{9, 3}, {2, 4}, "\x1b[4;2H", "\n"},          // one down, other column
      {{9, 3}, {1, 2}, "\x1b[2;1H", ""},            // up to column 1
      {{1, 1}, {300, 1000}, "\x1b[1000;300H", ""},  // wide numbers stay whole
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.from.column << "," << c.from.row << ") -> ("
                                    << c.to.column << "," << c.to.row << ")");
    EXPECT_EQ(move_bytes(false, c.from, c.to).view(), c.terminal);
    EXPECT_EQ(move_bytes(true, c.from, c.to).view(), c.redirected);
  }
}

TEST(MoveRule, LargestCoordinatesFit) {
  EXPECT_EQ(move_bytes(false, {1, 1}, {INT32_MAX, INT32_MAX}).view(),
            "\x1b[2147483647;2147483647H");
}

using console_test::ConsoleTest;
using console_test::fake;
using console_test::take_output;

using MoveCursor = ConsoleTest;

TEST_F(MoveCursor, GoesOutAtOnceInOneWrite) {
  start_terminal(24, 80, 1, 5);
  console_move_cursor(10, 7);
  ASSERT_EQ(fake.writes.size(), 1u);
  EXPECT_EQ(fake.writes[0], "\x1b[7;10H");
  EXPECT_EQ(console_current_row(), 7);
}

TEST_F(MoveCursor, NoWriteWhenNothingToSend) {
  start_terminal(24, 80, 13, 5);
  console_move_cursor(13, 5);
  EXPECT_TRUE(fake.writes.empty());
}

TEST_F(MoveCursor, PlacesOffTheScreenAreIgnored) {
  start_terminal(24, 80, 4, 5);
  for (auto [column, row] : {std::pair{0, 5}, {81, 5}, {4, 0}, {4, 25}, {-1, 5}, {4, -3}}) {
    console_move_cursor(column, row);
  }
  EXPECT_TRUE(fake.writes.empty());
  // Still at (4, 5): the next move is counted from there.
  console_move_cursor(80, 5);
  EXPECT_EQ(take_output(), "\x1b[76C");
  console_move_cursor(80, 24);
  EXPECT_EQ(take_output(), "\x1b[19B");
}

TEST_F(MoveCursor, RedirectedKeepsOnlyOneRowDown) {
  start_redirected();
  console_move_cursor(13, 1);
  console_move_cursor(13, 2);  // one row down: LF
  console_move_cursor(1, 4);   // dropped, but tracked
  console_move_cursor(5, 5);   // LF again
  console_move_cursor(5, 26);  // off the notional 80 x 25 screen
  console_move_cursor(81, 5);
  EXPECT_EQ(take_output(), "\n\n");
  EXPECT_EQ(console_current_row(), 5);
}

}  // namespace
}  // namespace tolv
