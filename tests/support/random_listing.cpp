#include "support/random_listing.h"

#include <random>
#include <vector>

#include "support/listing_text.h"

namespace tolv::test {

RandomListing make_random_listing(uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % n); };
  const char* ends[] = {"\r\n", "\n", "\r"};
  std::string end = ends[pick(3)];
  std::vector<std::string> names;
  std::vector<std::string> read;  // the names as the reader takes them
  std::string out = "Random listing " + std::to_string(seed) + end + "==============" + end;
  int entries = 1 + pick(60);
  for (int i = 0; i < entries; ++i) {
    if (pick(8) == 0) end = ends[pick(3)];
    if (pick(6) == 0) out += "Some header text" + end;
    std::string name;
    if (!names.empty() && pick(4) == 0) {
      name = names[pick(static_cast<int>(names.size()))];  // a repeat
    } else if (pick(10) == 0) {
      name = std::string(71 + pick(40), 'L') + std::to_string(i);  // longer than a record holds
    } else if (pick(30) == 0) {
      name = "";  // the line begins with a space
    } else if (pick(12) == 0) {
      name = (std::to_string(i) + "_TWELVE_CHARS").substr(0, 12);  // fills the name columns
    } else {
      name = "F" + std::to_string(seed % 97) + "_" + std::to_string(i) + ".ZIP";
    }
    names.push_back(name);
    std::string line;
    if (name.size() <= 12) {
      // Now and then a size or date at the edge of what the columns hold,
      // and text with CP437 letters, box drawing, a TAB or a Ctrl-Z.
      const char* sizes[] = {"$FFFFFFFF", "-99999999", "999999999", "$80000000", "%101", "1,024"};
      const char* dates[] = {"13-40-99", "00-00-00", "12-31-79", "01-01-80", "xx-yy-zz"};
      const char* texts[] = {"Caf\x82 \xc9\xcd\xbb \xb0\xb1\xb2\xdb", "tab\there", "end\x1a!", ""};
      std::string size = pick(8) == 0 ? sizes[pick(6)] : std::to_string(pick(100000));
      std::string date = pick(8) == 0
                             ? dates[pick(5)]
                             : "0" + std::to_string(1 + pick(9)) + "-1" + std::to_string(pick(10)) +
                                   "-9" + std::to_string(pick(10));
      std::string text = pick(8) == 0 ? texts[pick(4)] : std::string(pick(60), 'd');
      line = entry_line(name, size, date, text);
    } else {
      // A long name runs over the columns; the dashes stay in 26 and 29.
      line = name + " " + std::string(40, ' ');
      line[25] = line[28] = '-';
    }
    read.push_back(line.substr(0, line.find(' ')));
    out += line + end;
    int more = pick(5) == 0 ? pick(110) : pick(3);
    for (int j = 0; j < more; ++j) out += continuation_line(std::string(pick(70), 'c')) + end;
  }
  if (pick(2)) out += "Trailer" + end;
  return {out, read};
}

}  // namespace tolv::test
