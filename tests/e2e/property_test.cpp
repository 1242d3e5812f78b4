// Properties of whole conversions over randomly generated listings:
//  - with -DUPE, a first run into an empty base appends each name once (as
//    the duplicate check compares them: cut to 70 characters), and a second
//    run over the same listing changes nothing and shows no count;
//  - without it, each run appends every entry, and the second run appends
//    the same records again, each DescPtr shifted by the size of the first
//    run's description file, and the same description bytes;
//  - tolvbase's check finds neither a problem nor a note after any run,
//    doubts about the listing's names and dates aside;
//  - tolvbase normalize, over random listings and over clean ones written in
//    other layouts, writes a listing that preview finds nothing in, that
//    converts to one record per entry it counts, and that it leaves as it is.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <regex>
#include <string>

#include "e2e/programs.h"
#include "filebase/record.h"
#include "support/child.h"
#include "support/listing_text.h"
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
  // Doubts about names and dates are of the listing, not of the run; a
  // repeat, of converting it twice, not of the writer.
  EXPECT_TRUE(check.opened && check.result.problems == check.result.repeats &&
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
    // check finds the whole base doubled, and the truncate that mends it.
    std::string mend;
    for (const Finding& f : check_stored_base(dir / "base").findings)
      if (f.kind == FindingKind::RepeatedRun) mend = f.text.substr(f.text.rfind(".dir "));
    EXPECT_EQ(mend, count == 0 ? "" : ".dir " + std::to_string(count) + "' removes the repeat")
        << "seed " << seed;
  }
}

// Normalizes dir/in.lst (with `args` added) into dir/out.lst and checks the
// output: no preview finding, one record per entry written, and normalizing
// it again changes nothing. The output, for comparing layouts.
std::string normalize_checked(const TempDir& dir, const std::string& what,
                              std::vector<std::string> args = {}) {
  args.insert(args.begin(), {"normalize", "--json", dir / "in.lst"});
  Outcome run = run_tolvbase(args);
  EXPECT_NE(run.status, 2) << what << run.errors;
  size_t at = run.errors.find("\"entries\": ");
  EXPECT_NE(at, std::string::npos) << what << run.errors;
  if (at == std::string::npos) return {};
  size_t entries = std::stoul(run.errors.substr(at + 11));
  write_file(dir / "out.lst", run.output);
  Outcome preview = run_tolvbase({"preview", dir / "out.lst"});
  // A random listing may name a file twice; nothing else is worth a finding.
  EXPECT_TRUE(std::regex_search(preview.output, std::regex(", (no finding|\\d+ findings?: \\d+ "
                                                           "repeat)\n$")))
      << what << preview.output;
  unlink((dir / "base.dir").c_str());  // a run appends to the base it finds
  unlink((dir / "base.des").c_str());
  EXPECT_EQ(run_tolvconv({dir / "out.lst", dir / "base"}).status, 0) << what;
  EXPECT_EQ(read_base(dir / "base").records.size(), entries * kRecordSize) << what;
  Outcome again = run_tolvbase({"normalize", dir / "out.lst"});
  EXPECT_EQ(again.status, 0) << what << again.errors;
  EXPECT_TRUE(again.output == run.output) << what;
  return run.output;
}

TEST(Property, NormalizeOfARandomListingReadsBackAndIsStable) {
  for (uint32_t seed = 1; seed <= 15; ++seed) {
    TempDir dir;
    write_file(dir / "in.lst", random_listing(seed));
    normalize_checked(dir, std::string("seed ").append(std::to_string(seed)));
  }
}

// One clean listing written in four layouts: each normalizes to the same
// PCBoard lines (FILES.BBS, whose dates come from the disk, aside).
TEST(Property, NormalizeGivesTheSameListingFromEveryLayout) {
  const char* words[] = {"tool", "for", "the", "BBS", "with", "a", "long", "manual,", "fast"};
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    std::string pcboard, spitfire, rbbs, files;
    TempDir dir;
    for (int i = 0; i < 8; ++i) {
      std::string name = std::string("F").append(std::to_string(seed)).append("X");
      name.append(std::to_string(i)).append(".ZIP");
      int64_t size = random() % 2'000'000;
      std::string date = std::to_string(10 + random() % 3);
      date.append("-").append(std::to_string(10 + random() % 18));
      date.append("-9").append(std::to_string(random() % 10));
      std::string text[3];
      for (std::string& line : text)
        for (int w = 0; w < 5; ++w) line.append(w ? " " : "").append(words[random() % 9]);
      std::string digits = std::to_string(size), grouped;
      for (size_t d = 0; d < digits.size(); ++d)
        grouped.append((d && (digits.size() - d) % 3 == 0) ? "," : "").append(1, digits[d]);
      pcboard += entry_line(name, digits, date, text[0]) + "\r\n" +
                 continuation_line(text[1] + " " + text[2]) + "\r\n";
      spitfire += entry_line(name, grouped, date, text[0] + " " + text[1] + " " + text[2]) + "\n";
      rbbs += entry_line(name, digits, date, text[0]) + "\n  " + text[1] + "\n  " + text[2] + "\n";
      files += name + "  " + text[0] + "\n > " + text[1] + " " + text[2] + "\n";
      mkdir((dir / "files").c_str(), 0755);
      write_file(dir / std::string("files/").append(name),
                 std::string(static_cast<size_t>(size), 'x'));
    }
    std::string what = std::string("seed ").append(std::to_string(seed));
    write_file(dir / "in.lst", pcboard);
    std::string expected = normalize_checked(dir, what + " pcboard");
    for (auto& [layout, text] : {std::pair{"spitfire", spitfire}, {"rbbs", rbbs}}) {
      write_file(dir / "in.lst", text);
      EXPECT_EQ(normalize_checked(dir, what + " " + layout), expected) << layout;
    }
    write_file(dir / "in.lst", files);
    normalize_checked(dir, what + " files.bbs", {"--dir", dir / "files"});
  }
}

}  // namespace
}  // namespace tolv::test
