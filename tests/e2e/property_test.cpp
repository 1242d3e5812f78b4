// Properties of whole conversions over randomly generated listings:
//  - with -DUPE, a first run into an empty base appends each name once (as
//    the duplicate check compares them: cut to 70 characters), and a second
//    run over the same listing changes nothing and shows no count;
//  - without it, each run appends every entry, and the second run appends
//    the same records again, each DescPtr shifted by the size of the first
//    run's description file, and the same description bytes;
//  - tolvbase's check finds neither a problem nor a note after any run,
//    doubts about the listing's names and dates aside.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "filebase/record.h"
#include "support/child.h"
#include "support/random_listing.h"
#include "support/stored_base.h"

namespace tolv::test {
namespace {

// The names as stored: the first 70 characters; with `dupe`, each only once.
std::vector<std::string> stored_names(const std::vector<std::string>& names, bool dupe) {
  std::vector<std::string> stored;
  for (const std::string& name : names) {
    std::string cut = name.substr(0, kFileNameCapacity);
    if (!dupe || std::find(stored.begin(), stored.end(), cut) == stored.end())
      stored.push_back(cut);
  }
  return stored;
}

StoredBase convert(const TempDir& dir, bool dupe, Outcome* outcome = nullptr) {
  std::vector<std::string> args{dir / "in.lst", dir / "base"};
  if (dupe) args.push_back("-dupe");
  Outcome o = run_program_in_child(args);
  EXPECT_EQ(o.status, 0) << o.output;
  if (outcome) *outcome = o;
  BaseCheck check = check_stored_base(dir / "base");
  // Doubts about names and dates are of the listing, not of the run.
  EXPECT_TRUE(check.opened && check.result.problems == 0 &&
              check.result.notes == check.result.doubts)
      << check.text();
  return read_base(dir / "base");
}

// The first run over a random listing, into a new base: every entry is
// appended as the rules count them.
StoredBase first_run(const TempDir& dir, uint32_t seed, bool dupe) {
  RandomListing listing = make_random_listing(seed);
  write_file(dir / "in.lst", listing.text);
  StoredBase first = convert(dir, dupe);
  EXPECT_EQ(names_in(first.records), stored_names(listing.names, dupe)) << "seed " << seed;
  return first;
}

TEST(Property, SecondRunWithDupeChangesNothing) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    TempDir dir;
    StoredBase first = first_run(dir, seed, true);
    Outcome o;
    StoredBase second = convert(dir, true, &o);
    EXPECT_TRUE(second.records == first.records) << "seed " << seed;
    EXPECT_TRUE(second.descriptions == first.descriptions) << "seed " << seed;
    EXPECT_NE(o.output.find("Processing: DONE.\n"), std::string::npos) << "seed " << seed;
  }
}

TEST(Property, SecondRunWithoutDupeAppendsTheSameRecordsShifted) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    TempDir dir;
    StoredBase first = first_run(dir, seed, false);
    StoredBase second = convert(dir, false);
    ASSERT_EQ(second.records.size(), 2 * first.records.size()) << "seed " << seed;
    EXPECT_TRUE(second.descriptions == first.descriptions + first.descriptions) << "seed " << seed;
    EXPECT_TRUE(second.records.compare(0, first.records.size(), first.records) == 0);
    std::vector<FileRecord> records = records_in(second.records);
    size_t count = first.records.size() / kRecordSize;
    for (size_t i = 0; i < count; ++i) {
      FileRecord a = records[i], b = records[count + i];
      EXPECT_EQ(b.DescPtr, a.DescPtr + static_cast<int32_t>(first.descriptions.size()));
      b.DescPtr = a.DescPtr;
      uint8_t x[kRecordSize], y[kRecordSize];
      encode_record(a, x);
      encode_record(b, y);
      EXPECT_TRUE(std::equal(x, x + kRecordSize, y)) << "seed " << seed << " record " << i;
    }
  }
}

}  // namespace
}  // namespace tolv::test
