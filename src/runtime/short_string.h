// A text of at most N bytes stored as a length and the bytes: the shape of
// every text the listing yields and the file base stores. Assigning a longer
// value keeps its first N bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tolv {

template <size_t N>
struct ShortString {
  static_assert(N <= 255, "the length must fit one byte");
  uint8_t length = 0;
  char text[N];

  void assign(std::string_view value) {
    length = static_cast<uint8_t>(std::min(value.size(), N));
    if (length != 0) memcpy(text, value.data(), length);
  }
  std::string_view view() const { return {text, std::min<size_t>(length, N)}; }
};

}  // namespace tolv
