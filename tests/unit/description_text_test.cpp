// A description's text for a clean listing: colour codes and control bytes
// removed, words wrapped.
#include "normalize/description_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolv {
namespace {

TEST(DescriptionText, ColourCodesAndControlBytes) {
  struct Case {
    std::string text;
    std::string clean;     // colour codes removed
    std::string coloured;  // with keep_colours, "" when the same
    int64_t codes;         // codes removed
  } cases[] = {
      {"@X0FHot@x1e new", "Hot new", "@X0FHot@x1e new", 2},
      {"@0F@Hot@1e@!", "Hot!", "@0F@Hot@1e@!", 2},
      {"|15Hot|00 |31x", "Hot x", "|15Hot|00 |31x", 3},
      {"`0FHot`7a.", "Hot.", "`0FHot`7a.", 2},
      {"\0035Hot\001BNew", "HotNew", "\0035Hot\001BNew", 2},  // Ctrl-C 5, Ctrl-A B
      {"\033[1;33mHot\033[0m \033[2J\033[ q.", "Hot .", "\033[1;33mHot\033[0m \033[2J\033[ q.", 4},
      // Text that only looks like a code.
      {"joe@x0f.com @Xmas @X0 @1F", "joe@x0f.com @Xmas @X0 @1F", "", 0},
      {"a|b |7 |32 |1024 `Beef' `3D' `1990", "a|b |7 |32 |1024 `Beef' `3D' `1990", "", 0},
      {"end@X07. x", "end. x", "end@X07. x", 1},
      // Controls go, TAB is a blank, CP437 bytes stay, a half code loses its control.
      {"a\tb\r\n\x7f\x04\x80\xb3\xfb", "a b\x80\xb3\xfb", "", 0},
      {"\033[1;3 \033c\003x\001\033[m", "[1;3 cx", "[1;3 cx\033[m", 1},
  };
  for (const Case& c : cases) {
    int64_t codes = -1;
    EXPECT_EQ(clean_description(c.text, false, &codes), c.clean) << c.text;
    EXPECT_EQ(codes, c.codes) << c.text;
    std::string coloured = c.coloured.empty() ? c.clean : c.coloured;
    EXPECT_EQ(clean_description(c.text, true, &codes), coloured) << c.text;
    EXPECT_EQ(codes, 0) << c.text;
  }
}

TEST(DescriptionText, WrapsAtBlanksAndCutsLongWords) {
  const std::string w10 = "abcdefghij";
  struct Case {
    std::string text;
    size_t max_lines;
    std::vector<std::string> lines;  // width 10
    bool cut;
  } cases[] = {
      {"abcd efghi", 9, {"abcd efghi"}, false},          // exactly the width
      {"abcd efghij", 9, {"abcd", "efghij"}, false},     // one more
      {"  a   b  ", 9, {"a b"}, false},                  // blanks around and between
      {"ab " + w10 + " c", 9, {"ab", w10, "c"}, false},  // a word of the width
      {"ab " + w10 + w10 + "xyz c d", 9, {"ab", w10, w10, "xyz c d"}, false},
      {"", 9, {}, false},
      {"   ", 9, {}, false},
      {"one two three four", 2, {"one two", "three four"}, false},
      {"one two three four five", 2, {"one two", "three four"}, true},
      {w10 + w10 + "x", 2, {w10, w10}, true},  // a piece left out
      {"a", 0, {}, true},
  };
  for (const Case& c : cases) {
    bool cut = !c.cut;
    EXPECT_EQ(wrap_description(c.text, 10, c.max_lines, &cut), c.lines) << c.text;
    EXPECT_EQ(cut, c.cut) << c.text;
  }
}

}  // namespace
}  // namespace tolv
