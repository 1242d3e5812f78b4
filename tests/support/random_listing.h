// Random listings for the property tests of tolvconv and tolvbase preview.
#pragma once

#include <cstdint>
#include <string>

namespace tolv::test {

// A listing with headers, junk, long, repeated and empty names, names that
// fill their 12 columns, sizes and dates at the edges of their columns, CP437
// text, continuation runs of any length and every kind of line end; the
// same seed gives the same listing.
std::string random_listing(uint32_t seed);

}  // namespace tolv::test
