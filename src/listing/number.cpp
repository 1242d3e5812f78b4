#include "listing/number.h"

#include <cstdio>
#include <utility>

#include "listing/columns.h"
#include "listing/packed_date.h"

namespace tolv {

namespace {

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

}  // namespace

int32_t parse_integer(std::string_view text) {
  int32_t value;
  read_integer(text, value);
  return value;
}

bool read_integer(std::string_view text, int32_t& result) {
  result = 0;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i < text.size() && text[i] == '%') {
    base = 2;
    ++i;
  }
  if (i == text.size()) return false;
  // At most 9 characters reach here, so the value fits 36 bits in base 16.
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    unsigned digit = static_cast<unsigned>(digit_value(text[i]));
    if (digit >= base) return false;
    value = value * base + digit;
  }
  uint32_t bits = static_cast<uint32_t>(value);
  if (negative) bits = 0u - bits;
  result = static_cast<int32_t>(bits);
  return true;
}

DateText date_text(std::string_view text) {
  auto part = [&](size_t from) {
    return from >= text.size() ? std::string_view{} : text.substr(from, 2);
  };
  return {part(0), part(3), part(6)};
}

uint32_t convert_date(std::string_view text) {
  DateText parts = date_text(text);
  auto number = [](std::string_view part) { return static_cast<uint16_t>(parse_integer(part)); };
  return pack_date_time(listing_year(number(parts.year)), number(parts.month), number(parts.day), 0,
                        0, 0);
}

std::string integer_text(int32_t value) {
  char text[16];
  int length = snprintf(text, sizeof text, "%d", static_cast<int>(value));
  if (static_cast<size_t>(length) > kSizeField.width)
    snprintf(text, sizeof text, "$%08X", static_cast<uint32_t>(value));
  return text;
}

std::string date_text_of(unsigned year, unsigned month, unsigned day) {
  std::string text = "00-00-00";
  for (auto [at, value] : {std::pair{0, month}, {3, day}, {6, year}}) {
    text[at] = static_cast<char>('0' + value % 100 / 10);
    text[at + 1] = static_cast<char>('0' + value % 10);
  }
  return text;
}

}  // namespace tolv
