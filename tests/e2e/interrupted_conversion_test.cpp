// A conversion cut short at any of its writes leaves a base that tolvbase
// finds sound: the writer puts an entry's description lines before its
// record, so a failure leaves at most unreferenced description bytes or a
// record fragment, which the check reports as notes.
#include <gtest/gtest.h>

#include <cerrno>

#include "e2e/programs.h"
#include "support/child.h"
#include "support/fake_os.h"

namespace tolv::test {
namespace {

struct Cut {
  const char* what;
  int error;       // errno of the failing write, 0 for a short one
  ssize_t stored;  // bytes a short write stores
};

// The problem lines of a check other than a repeated run's. The sample
// appended after itself repeats its records, which check names as a
// problem of what was converted, not of how the writer left the base.
std::string writer_problems(const std::string& output) {
  std::string found;
  for (size_t at = 0, end; (end = output.find('\n', at)) != std::string::npos; at = end + 1) {
    std::string line = output.substr(at, end - at + 1);
    if (line.starts_with("problem:") && line.find(" one for one (") == std::string::npos)
      found += line;
  }
  return found;
}

TEST(InterruptedConversion, EveryWritePointLeavesASoundBase) {
  const std::string listing = TOLV_SOURCE_DIR "/examples/sample.lst";
  for (Cut cut : {Cut{"write fails", EIO, -1}, Cut{"write stores 7 bytes", 0, 7}}) {
    bool saw_fragment = false, saw_unreferenced = false;
    int k = 1;
    for (;; ++k) {
      TempDir dir;
      // An existing base, so the interrupted run appends after records.
      ASSERT_EQ(run_program_in_child({listing, dir / "base"}).status, 0);

      Outcome run = run_program_in_child({listing, dir / "base"},
                                         {Fault{nth_call(Call::Pwrite, k), cut.error, cut.stored}});
      Outcome check = run_tolvbase({"check", dir / "base"});

      EXPECT_NE(check.status, 2) << cut.what << ", write " << k << ":\n" << check.output;
      EXPECT_EQ(writer_problems(check.output), "") << check.output;
      saw_fragment |=
          check.output.find("note: the record file ends in a fragment") != std::string::npos;
      saw_unreferenced |= check.output.find("belong to no record") != std::string::npos;
      if (run.status == 0) {
        // Past the last write: the run was whole and so is the base.
        EXPECT_NE(check.output.find("12 records"), std::string::npos) << check.output;
        break;
      }
      EXPECT_EQ(run.status, 101) << cut.what << ", write " << k << ":\n" << run.output;
      ASSERT_LT(k, 100) << "the run never completed";
    }
    // The sample's six entries cost two writes each.
    EXPECT_EQ(k, 13) << cut.what;
    EXPECT_TRUE(saw_unreferenced) << cut.what;
    EXPECT_EQ(saw_fragment, cut.error == 0) << cut.what;
  }
}

}  // namespace
}  // namespace tolv::test
