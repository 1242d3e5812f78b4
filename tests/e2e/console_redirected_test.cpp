// The built program with its standard output on a pipe: the whole output
// compared byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "e2e/programs.h"
#include "support/banner.h"
#include "support/child.h"
#include "support/listing_text.h"

namespace tolv::test {
namespace {

const std::string kErrorStart = "\aERROR: PCBoard file listing (";
const std::string kErrorEnd = ") not found.";

std::string listing(int entries) {
  std::string text;
  for (int i = 1; i <= entries; ++i) {
    char name[16];
    snprintf(name, sizeof name, "F%05d.ZIP", i);
    text += entry_line(name, std::to_string(2000 + i), "02-01-93", "Entry") + "\r\n";
  }
  return text;
}

Outcome convert(const std::string& listing_path, const std::string& base) {
  return run_tolvconv({listing_path, base});
}

TEST(Redirected, CountsFollowOneAnotherOnOneLine) {
  TempDir dir;
  write_file(dir / "area.lst", listing(12));
  Outcome run = convert(dir / "area.lst", dir / "base");
  EXPECT_EQ(run.status, 0);
  std::string counts;
  for (int count = 1; count <= 12; ++count) counts += std::to_string(count) + " files ... ";
  EXPECT_EQ(run.output, kBanner + "Processing: " + counts + "DONE.\n");
}

TEST(Redirected, LongErrorLineWrapsAfterThe80thByte) {
  TempDir dir;
  std::string path = dir / std::string(70, 'p') + ".lst";
  Outcome run = convert(path, dir / "base");
  EXPECT_EQ(run.status, 1);
  std::string line = kErrorStart + path + kErrorEnd;  // the BEL takes a column
  ASSERT_GT(line.size(), 80u);
  ASSERT_LT(line.size(), 160u);
  EXPECT_EQ(run.output, kBanner + line.substr(0, 80) + "\n" + line.substr(80) + "\n");
}

TEST(Redirected, EscPassesAndTabsBecomeSpaces) {
  TempDir dir;
  Outcome run = convert("a\x1b[2Jb\tc", dir / "base");
  EXPECT_EQ(run.status, 1);
  // The tab stands at column 37: four spaces to the stop at 41.
  EXPECT_EQ(run.output, kBanner + kErrorStart + "a\x1b[2Jb    c" + kErrorEnd + "\n");
}

TEST(Redirected, ClosedPipeDoesNotStopTheConversion) {
  TempDir dir;
  write_file(dir / "area.lst", listing(3));
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  close(pipe_fds[0]);  // every write on the child's descriptor 1 fails
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    dup2(pipe_fds[1], 1);
    close(pipe_fds[1]);
    std::string listing_path = dir / "area.lst", base = dir / "base";
    execl(TOLVCONV_BINARY, TOLVCONV_BINARY, listing_path.c_str(), base.c_str(),
          static_cast<char*>(nullptr));
    _exit(252);
  }
  close(pipe_fds[1]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_file(dir / "base.dir").size(), 3 * 120u);
}

}  // namespace
}  // namespace tolv::test
