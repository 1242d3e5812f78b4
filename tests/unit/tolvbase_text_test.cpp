// How tolvbase writes text: JSON strings and the CP437, Latin-1 and raw
// decodings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "companion/json_text.h"
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
  EXPECT_EQ(out, "\"a\\\"b\\\\c/\x7f\xc3\xa9\"");
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

}  // namespace
}  // namespace tolv
