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

// One area's files as a board describes them, for writing the same area in
// every layout: names with an extension and without one, some of 12
// characters; sizes up to nine digits (eight after a 12-character name);
// dates from 1980 to 2079; descriptions of plain words, some beginning with
// what a layout could take for a field (a counter "[3]", a date, an
// archive index's "B 1234 930102").
struct AreaFile {
  std::string name;
  int64_t size = 0;
  unsigned year = 0, month = 0, day = 0;
  std::string description;  // words joined by one blank
};
std::vector<AreaFile> make_random_area(uint32_t seed, int files);

// The words of `text` in lines of at most `width`, each as full as it goes.
std::vector<std::string> wrap_words(const std::string& text, size_t width);

// The area as a clean PCBoard listing tolvconv reads exactly: each
// description wrapped at a width of its own from `widths` (cycled); unless
// `noise` is 0, now and then with an empty line, a line indented within its
// text or trailing blanks, and a title and column titles first.
std::string area_as_pcboard(const std::vector<AreaFile>& area, const std::vector<size_t>& widths,
                            uint32_t noise);

// The area in another layout: "spitfire", "rbbs", "files-bbs", "descript-ion" or
// "wildcat-import" (the last three without sizes or dates).
std::string area_as(const std::vector<AreaFile>& area, const std::string& layout);

}  // namespace tolv::test
