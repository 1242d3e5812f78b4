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
  std::string out = "Random listing " + std::to_string(seed) + end + "==============" + end;
  int entries = 1 + pick(60);
  for (int i = 0; i < entries; ++i) {
    if (pick(8) == 0) end = ends[pick(3)];
    if (pick(6) == 0) out += "Some header text" + end;
    std::string name;
    if (!names.empty() && pick(4) == 0) {
      name = names[pick(static_cast<int>(names.size()))];  // a repeat
    } else if (pick(10) == 0) {
      // Longer than a record holds; its own dashes fall in columns 26 and 29.
      name = std::string(71 + pick(40), 'L') + std::to_string(i);
      name[25] = name[28] = '-';
    } else {
      name = "F" + std::to_string(seed % 97) + "_" + std::to_string(i) + ".ZIP";
    }
    names.push_back(name);
    std::string line;
    if (name.size() <= 12) {
      line = entry_line(name, std::to_string(pick(100000)),
                        "0" + std::to_string(1 + pick(9)) + "-1" + std::to_string(pick(10)) + "-9" +
                            std::to_string(pick(10)),
                        std::string(pick(60), 'd'));
    } else {
      line = name + " " + std::string(40, ' ');  // over the columns
    }
    out += line + end;
    int more = pick(5) == 0 ? pick(110) : pick(3);
    for (int j = 0; j < more; ++j) out += continuation_line(std::string(pick(70), 'c')) + end;
  }
  if (pick(2)) out += "Trailer" + end;
  return {out, names};
}

}  // namespace tolv::test
