// How the companions write text: JSON strings, CSV cells, the CP437,
// Latin-1 and raw decodings with what a terminal is shown of them, and text
// cut or wrapped to a table's width.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "companion/json_lines.h"
#include "companion/json_read.h"
#include "companion/rows.h"
#include "companion/table.h"
#include "companion/text.h"
#include "companion/text_encoding.h"

namespace tolv {
namespace {

TEST(JsonText, EscapesQuotesBackslashesAndEveryControlByte) {
  const char* const kShort[32] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, "\\b",   "\\t",   "\\n",   nullptr, "\\f",   "\\r"};
  for (int byte = 0; byte < 32; ++byte) {
    char hex[8];
    snprintf(hex, sizeof hex, "\\u%04x", byte);
    std::string want = std::string("\"") + (kShort[byte] ? kShort[byte] : hex) + "\"";
    std::string out;
    append_json_string(out, std::string(1, static_cast<char>(byte)));
    EXPECT_EQ(out, want) << "byte " << byte;
  }
  std::string out;
  append_json_string(out, "a\"b\\c/\x7f\xc3\xa9");
  EXPECT_EQ(out, "\"a\\\"b\\\\c/\\u007f\xc3\xa9\"");
  // C1 in UTF-8 as its code point; the letters beside it pass.
  out.clear();
  append_json_string(out, "\xc2\x9b\xc2\x80\xc2\x9f\xc2\xa0\xc3\x84");
  EXPECT_EQ(out, "\"\\u009b\\u0080\\u009f\xc2\xa0\xc3\x84\"");
  JsonValue read;
  std::string error;
  ASSERT_TRUE(parse_json_line(out, read, error)) << error;
  EXPECT_EQ(read.text, "\xc2\x9b\xc2\x80\xc2\x9f\xc2\xa0\xc3\x84");
}

TEST(JsonText, EveryByteOutsideValidUtf8IsEscapedAsItsSurrogate) {
  struct Case {
    std::string bytes;
    std::string json;
  } cases[] = {
      {"DIR\x82", "\"DIR\\udc82\""},                             // a CP437 byte in a path
      {"\xc3", "\"\\udcc3\""},                                   // a sequence cut short
      {"\xc0\xaf", "\"\\udcc0\\udcaf\""},                        // an overlong '/'
      {"\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},             // a surrogate
      {"\xf4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""},  // past U+10FFFF
      {"\xff\xc3\xa9\xf0\x9f\x98\x80", "\"\\udcff\xc3\xa9\xf0\x9f\x98\x80\""},
  };
  for (const Case& c : cases) {
    std::string out;
    append_json_string(out, c.bytes);
    EXPECT_EQ(out, c.json);
    // Read back, the string is the bytes again.
    JsonValue read;
    std::string error;
    EXPECT_TRUE(parse_json_line(out, read, error)) << error;
    EXPECT_EQ(read.text, c.bytes);
  }
}

TEST(JsonRead, TakesWhatTheWriterWritesAndRefusesTheRest) {
  JsonValue v;
  std::string error;
  ASSERT_TRUE(
      parse_json_line(R"( {"a": [0, -12, true, null], "b": "\u00e9\ud83d\ude00\/\t"} )", v, error))
      << error;
  ASSERT_EQ(v.names.size(), 2u);
  const JsonValue* a = json_member(v, "a");
  ASSERT_TRUE(a && a->items.size() == 4);
  EXPECT_EQ(a->items[1].number, -12);
  EXPECT_TRUE(a->items[2].boolean);
  EXPECT_EQ(a->items[3].kind, JsonValue::Kind::Null);
  EXPECT_EQ(json_member(v, "b")->text, "\xc3\xa9\xf0\x9f\x98\x80/\t");
  struct Case {
    std::string line, error;
  } refused[] = {
      {"", "a line cut short at byte 1"},
      {R"({"a": 1.5})", "a number that is not whole at byte 8"},
      {R"({"a": 9223372036854775808})", "a number too large at byte 25"},
      {R"({"a": 1} x)", "more after the value at byte 10"},
      {R"({"a" 1})", "no ':' after a member's name at byte 6"},
      {R"({"a": 1 "b": 2})", "no ',' between values at byte 9"},
      {R"({"a": "x)", "a string cut short at byte 9"},
      {"{\"a\": \"\t\"}", "a control byte in a string at byte 8"},
      {R"({"a": "\ud800x"})", "half a surrogate pair at byte 14"},
      {R"({"a": "\q"})", "an unknown escape at byte 9"},
      {R"({"a": tru})", "an unknown word at byte 7"},
      {std::string(18, '[') + std::string(18, ']'), "nesting too deep at byte 18"},
  };
  for (const Case& c : refused) {
    EXPECT_FALSE(parse_json_line(c.line, v, error)) << c.line;
    EXPECT_EQ(error, c.error) << c.line;
  }
}

TEST(CsvCell, QuotedWhenItMustBeAndNeverRunAsAFormula) {
  struct Case {
    std::string text;
    std::string cell;       // as written by default
    std::string as_stored;  // with --as-stored
  } cases[] = {
      {"PLAIN.ZIP", "PLAIN.ZIP", "PLAIN.ZIP"},
      {"a,b", "\"a,b\"", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""},
      {"x\ry", "\"x\ry\"", "\"x\ry\""},
      {"x\ny", "\"x\ny\"", "\"x\ny\""},
      {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\"", "\"=HYPERLINK(\"\"x\"\")\""},
      {"+1", "'+1", "+1"},
      {"-README", "'-README", "-README"},
      {"@SUM(A1)", "'@SUM(A1)", "@SUM(A1)"},
      {"\tx", "'\tx", "\tx"},
      {"\rx", "\"'\rx\"", "\"\rx\""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    std::string out;
    append_csv_cell(out, c.text, false);
    EXPECT_EQ(out, c.cell) << c.text;
    out.clear();
    append_csv_cell(out, c.text, true);
    EXPECT_EQ(out, c.as_stored) << c.text;
  }
}

TEST(TextEncoding, EachEncodingDecodesEveryByte) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  struct Case {
    Encoding encoding;
    std::string bytes;
    std::string text;
  } cases[] = {
      {Encoding::Cp437, "A\t~", "A\t~"},
      {Encoding::Cp437, "\x80\x82\xb3\xc4\xe1", "\xc3\x87\xc3\xa9\xe2\x94\x82\xe2\x94\x80\xc3\x9f"},
      {Encoding::Latin1, "A\x80\xe9\xff", "A\xc2\x80\xc3\xa9\xc3\xbf"},
      {Encoding::Raw, all, all},
  };
  for (const Case& c : cases) {
    Decoder decoder;
    std::string error;
    ASSERT_TRUE(open_decoder(decoder, c.encoding, error)) << error;
    EXPECT_EQ(decoded(decoder, c.bytes), c.text);
  }
  // What a terminal is shown: C0 and DEL escaped in every encoding, bytes
  // 0x80-0x9F where they stay C1 controls (raw, Latin-1), not in CP437.
  struct Shown {
    Encoding encoding;
    std::string text;
  } shown_cases[] = {
      {Encoding::Raw, "a\\x1B\\x7F\\x9B\\x82\xa0\xff"},
      {Encoding::Latin1, "a\\x1B\\x7F\\x9B\\x82\xc2\xa0\xc3\xbf"},
      {Encoding::Cp437, "a\\x1B\\x7F\xc2\xa2\xc3\xa9\xc3\xa1\xc2\xa0"},
  };
  for (const Shown& c : shown_cases) {
    Decoder decoder;
    std::string error;
    ASSERT_TRUE(open_decoder(decoder, c.encoding, error)) << error;
    EXPECT_EQ(shown(decoder, "a\x1b\x7f\x9b\x82\xa0\xff"), c.text);
  }
  // Text that is not CP437 (a path): every control, and in UTF-8 every byte
  // outside a valid sequence, as \xHH.
  EXPECT_EQ(terminal_text("/a\x9b\xc2\x9b\xc3\xa9\x1b", true), "/a\\x9B\\xC2\\x9B\xc3\xa9\\x1B");
  EXPECT_EQ(terminal_text("/a\x9b\xc3\xa9\x1b", false), "/a\\x9B\xc3\xa9\\x1B");
  // U+00DB ends in 0x9B: a letter in UTF-8, CSI to a terminal that takes
  // bytes one by one.
  EXPECT_EQ(terminal_text("\xc3\x9b\xc3", true), "\xc3\x9b\\xC3");
  EXPECT_EQ(terminal_text("\xc3\x9b\xc3", false), "\xc3\\x9B\xc3");

  // Every byte has a UTF-8 form of its own in both decodings.
  for (Encoding encoding : {Encoding::Cp437, Encoding::Latin1}) {
    Decoder decoder;
    std::string error;
    ASSERT_TRUE(open_decoder(decoder, encoding, error));
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_FALSE(decoder.table[byte].empty()) << byte;
      EXPECT_EQ(decoder.table[byte] == "\xef\xbf\xbd", false) << byte;
    }
  }
}

// A cell cut to its column: a description loses its end, a path its start,
// a base its start down to its name, then that name its middle (where
// names made unique differ is at their start or end); widths count
// characters.
TEST(TableText, CutsKeepWhatTellsCellsApartAndWrapsLoseNoCharacter) {
  struct Cutting {
    std::string text;
    size_t width;
    Cut cut;
    bool utf8;
    std::string shown;
  } cuts[] = {
      {"Utilities and more", 10, Cut::AtEnd, false, "Utiliti..."},
      {"/srv/pcb/dir/DIR12", 10, Cut::AtStart, false, "...r/DIR12"},
      {"out/PCB-UPLOADS", 10, Cut::Distinct, false, "PCB...OADS"},
      {"out/SAME-1A2B3C4D", 9, Cut::Distinct, false, "SAM...C4D"},
      {"out/DIR12", 9, Cut::Distinct, false, "out/DIR12"},
      {"/d/\xc3\xa9t\xc3\xa9-caf\xc3\xa9s", 8, Cut::Distinct, true, "\xc3\xa9t...f\xc3\xa9s"},
      {"/dd/\xc3\xa9t\xc3\xa9", 6, Cut::Distinct, true, "...\xc3\xa9t\xc3\xa9"},
      {"Utilities", 2, Cut::AtEnd, false, "..."},
  };
  for (const Cutting& c : cuts)
    EXPECT_EQ(cut_text(c.text, c.width, c.cut, c.utf8), c.shown) << c.text;

  struct Wrap {
    std::string text;
    size_t width;
    std::vector<std::string> lines;
  } wraps[] = {
      {"exit 101: a write failed", 0, {"exit 101: a write failed"}},
      {"exit 101: a write failed", 9, {"exit 101:", "a write", "failed"}},
      {"cannot open '/srv/pcb/DIR14': gone", 12, {"cannot open", "'/srv/pcb/DI", "R14': gone"}},
  };
  for (const Wrap& c : wraps) EXPECT_EQ(wrap_text(c.text, c.width, false), c.lines) << c.text;
  EXPECT_EQ(wrap_text("\xc3\xa9\xc3\xa9\xc3\xa9 \xc3\xa9", 2, true),
            (std::vector<std::string>{"\xc3\xa9\xc3\xa9", "\xc3\xa9", "\xc3\xa9"}));

  // COLUMNS, when it is a number, is the width; else the terminal's (none
  // here: standard output is no terminal).
  for (auto [columns, width] :
       {std::pair{"132", 132}, {"0", 0}, {"-5", 0}, {"wide", 0}, {"99999999999", 0}}) {
    setenv("COLUMNS", columns, 1);
    if (isatty(1) == 0) {
      EXPECT_EQ(environment_columns(), width) << columns;
    }
  }
  unsetenv("COLUMNS");
}

}  // namespace
}  // namespace tolv
