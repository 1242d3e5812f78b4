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
#include "support/random_listing.h"

namespace tolv::test {
namespace {

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
