// Properties of whole conversions over randomly generated listings:
//  - with -DUPE, converting the same listing a second time changes nothing
//    and shows no count;
//  - without it, the second run appends the same records again, each DescPtr
//    shifted by the size of the first run's description file, and the same
//    description bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "filebase/record.h"
#include "support/child.h"
#include "support/listing_text.h"

namespace tolv::test {
namespace {

// A listing with headers, junk, long and repeated names, empty names,
// continuation runs of any length and every kind of line end.
std::string random_listing(uint32_t seed) {
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
      name = std::string(71 + pick(40), 'L') + std::to_string(i);  // longer than a record holds
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
      // A long name runs over the columns; the dashes stay in 26 and 29.
      line = name + " " + std::string(40, ' ');
      line[25] = line[28] = '-';
    }
    out += line + end;
    int more = pick(5) == 0 ? pick(110) : pick(3);
    for (int j = 0; j < more; ++j) out += continuation_line(std::string(pick(70), 'c')) + end;
  }
  if (pick(2)) out += "Trailer" + end;
  return out;
}

struct Base {
  std::string records, descriptions;
};

Base convert(const TempDir& dir, bool dupe, Outcome* outcome = nullptr) {
  std::vector<std::string> args{dir / "in.lst", dir / "base"};
  if (dupe) args.push_back("-dupe");
  Outcome o = run_program_in_child(args);
  EXPECT_EQ(o.status, 0) << o.output;
  if (outcome) *outcome = o;
  return {read_file(dir / "base.dir"), read_file(dir / "base.des")};
}

TEST(Property, SecondRunWithDupeChangesNothing) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    TempDir dir;
    write_file(dir / "in.lst", random_listing(seed));
    Base first = convert(dir, true);
    Outcome o;
    Base second = convert(dir, true, &o);
    EXPECT_TRUE(second.records == first.records) << "seed " << seed;
    EXPECT_TRUE(second.descriptions == first.descriptions) << "seed " << seed;
    EXPECT_NE(o.output.find("Processing: DONE.\n"), std::string::npos) << "seed " << seed;
  }
}

TEST(Property, SecondRunWithoutDupeAppendsTheSameRecordsShifted) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    TempDir dir;
    write_file(dir / "in.lst", random_listing(seed));
    Base first = convert(dir, false);
    Base second = convert(dir, false);
    ASSERT_EQ(second.records.size(), 2 * first.records.size()) << "seed " << seed;
    EXPECT_TRUE(second.descriptions == first.descriptions + first.descriptions) << "seed " << seed;
    EXPECT_TRUE(second.records.compare(0, first.records.size(), first.records) == 0);
    for (size_t at = 0; at < first.records.size(); at += kRecordSize) {
      auto bytes = [](const std::string& s, size_t at) {
        return reinterpret_cast<const uint8_t*>(s.data()) + at;
      };
      FileRecord a = decode_record(bytes(first.records, at));
      FileRecord b = decode_record(bytes(second.records, first.records.size() + at));
      EXPECT_EQ(b.DescPtr, a.DescPtr + static_cast<int32_t>(first.descriptions.size()));
      b.DescPtr = a.DescPtr;
      uint8_t x[kRecordSize], y[kRecordSize];
      encode_record(a, x);
      encode_record(b, y);
      EXPECT_TRUE(std::equal(x, x + kRecordSize, y)) << "seed " << seed << " record " << at / 120;
    }
  }
}

}  // namespace
}  // namespace tolv::test
