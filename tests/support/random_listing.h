// Random listings for the property tests of tolvconv and tolvbase preview.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolv::test {

struct RandomListing {
  std::string text;
  std::vector<std::string> names;  // of its entries, in order, as the reader takes them
};

// A listing with headers, junk, long, repeated and empty names, names that
// fill their 12 columns, sizes and dates at the edges of their columns, CP437
// text, continuation runs of any length and every kind of line end; the
// same seed gives the same listing.
RandomListing make_random_listing(uint32_t seed);
inline std::string random_listing(uint32_t seed) {
  return make_random_listing(seed).text;
}

}  // namespace tolv::test
