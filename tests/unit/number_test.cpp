#include "listing/number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "listing/packed_date.h"

namespace tolv {
namespace {

TEST(IntegerParse, WellFormedNumbers) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"0", 0},
      {"123", 123},
      {"      123", 123},
      {"\t 42", 42},
      {" \t\t7", 7},
      {"0010", 10},  // a leading 0 selects no base
      {"+7", 7},
      {"-5", -5},
      {"  -5", -5},
      {"999999999", 999999999},
      {"-99999999", -99999999},
      {"$10", 16},
      {"$FF", 255},
      {"$ff", 255},
      {"$aBc", 0xABC},
      {"-$10", -16},
      {"%101", 5},
      {"%11111111", 255},
      {"-%1", -1},
      {"$7FFFFFFF", std::numeric_limits<int32_t>::max()},
      // Eight hex digits are a 32-bit two's-complement pattern.
      {"$FFFFFFFF", -1},
      {"$80000000", std::numeric_limits<int32_t>::min()},
      {"$80000001", std::numeric_limits<int32_t>::min() + 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parse_integer(c.text), c.value) << '"' << c.text << '"';
    int32_t value = -7;
    EXPECT_TRUE(read_integer(c.text, value) && value == c.value) << '"' << c.text << '"';
  }
}

TEST(IntegerParse, AnyErrorGivesZero) {
  for (const char* text : {
           "",          " ",     "         ", "\t",
           "123      ",  // trailing blanks
           "12 3",      "1,024", "1.5",       "0x10", "&10", "&",   "+",   "-",
           "$",         "%",     "-$",        "+%",   "--5", "+-5", "- 5", "5-",
           "$-5",       "$$1",   "%102",      "%2",   "12A", "$G",  "$1G", "1e3",
       }) {
    EXPECT_EQ(parse_integer(text), 0) << '"' << text << '"';
    int32_t value = -7;
    EXPECT_FALSE(read_integer(text, value)) << '"' << text << '"';
    EXPECT_EQ(value, 0);
  }
}

TEST(PackDateTime, FieldsLandInTheirBitsAndCarryUnmasked) {
  EXPECT_EQ(pack_date_time(1980, 1, 1, 0, 0, 0), 0x00210000u);
  EXPECT_EQ(pack_date_time(1980, 1, 1, 12, 30, 59), 0x002163DDu);  // 12<<11 | 30<<5 | 29
  EXPECT_EQ(pack_date_time(2107, 12, 31, 23, 59, 58), 0xFF9FBF7Du);
  // A value too wide for its field carries into the fields above it.
  EXPECT_EQ(pack_date_time(1980, 0, 0, 0, 64, 0), 0x00000800u);  // minute 64 = hour 1
  EXPECT_EQ(pack_date_time(1980, 16, 0, 0, 0, 0), 0x02000000u);  // month 16 = year + 1
  EXPECT_EQ(pack_date_time(1980, 0, 0, 0, 0, 64), 0x00000020u);  // second 64 = minute 1
  // Years before 1980 and past 2107 wrap modulo 2^32.
  EXPECT_EQ(pack_date_time(1979, 0, 0, 0, 0, 0), 0xFE000000u);
  EXPECT_EQ(pack_date_time(2108, 1, 1, 0, 0, 0), 0x00210000u);
}

TEST(DateConversion, DocumentedTable) {
  struct Case {
    const char* text;
    uint32_t packed;
  } cases[] = {
      {"01-15-95", 0x1E2F0000}, {"02-01-93", 0x1A410000}, {"12-24-99", 0x27980000},
      {"01-01-80", 0x00210000}, {"06-30-00", 0x28DE0000}, {"12-31-79", 0xC79F0000},
      {"xx-yy-zz", 0x28000000}, {"13-40-99", 0x27C80000}, {"01-01--1", 0x5E210000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(convert_date(c.text), c.packed) << c.text;
    // Unpacking gives the fields back, carried as they were packed.
    DateTimeFields f = unpack_date_time(c.packed);
    EXPECT_EQ(pack_date_time(static_cast<uint16_t>(f.year), static_cast<uint16_t>(f.month),
                             static_cast<uint16_t>(f.day), 0, 0, 0),
              c.packed)
        << c.text;
  }
  DateTimeFields carried = unpack_date_time(convert_date("13-40-99"));
  EXPECT_EQ(carried.year * 10000 + carried.month * 100 + carried.day, 19991408u);
}

TEST(DateConversion, EachPartParsedOnItsOwn) {
  struct Case {
    const char* text;
    uint32_t packed;
  } cases[] = {
      // The dashes are not read.
      {"01/15/95", 0x1E2F0000},
      {"01 15 95", 0x1E2F0000},
      // Blanks lead a part; trailing blanks make it 0.
      {" 1-15-95", 0x1E2F0000},
      {"1 -15-95", 0x1E0F0000},
      {"01-15- 5", 0x322F0000},
      // Sign and bases apply to each two-character part.
      {"$C-$F-95", 0x1F8F0000},
      {"-1-01-95", 0x1DE10000},  // month -1 is 65535 unsigned, carried up
      // A line that ends inside the date gives shorter or empty parts.
      {"01-15-9", 0x3A2F0000},
      {"01-15-", 0x282F0000},
      {"01-15", 0x282F0000},
      {"01-1", 0x28210000},
      {"1", 0x28200000},
      {"", 0x28000000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(convert_date(c.text), c.packed)
        << '"' << c.text << '"' << std::hex << " got 0x" << convert_date(c.text);
}

}  // namespace
}  // namespace tolv
