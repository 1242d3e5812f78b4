// The move rule: which bytes take the cursor from one place to another, and
// how console_move_cursor uses it.
#include <gtest/gtest.h>

#include <string>

#include "console/move.h"

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

}  // namespace
}  // namespace tolv
