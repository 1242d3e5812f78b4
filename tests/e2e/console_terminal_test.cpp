// The built program on a pseudo-terminal: every byte it sends to the
// terminal, and the terminal's modes after it has ended.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/banner.h"
#include "support/child.h"
#include "support/listing_text.h"
#include "support/pty.h"

namespace tolv::test {
namespace {

const std::string kLine1 = "TOLVCONV : PCBoard to Tolvane BBS File Base Converter";
const std::string kLine2 = banner_version_line();
const std::string kLine3 = "Compatible with Tolvane BBS v1.07.2";

const std::string kAsk = "\x1b[6n";
const std::string kPlain = "\x1b[m";
const std::string kDown = "\x1b[1B";  // a line end from column 1
const std::string kNext = "\r\n";     // a line end from any other column

// A listing of `entries` file entries.
std::string listing(int entries) {
  std::string text = "Files in this area\r\n\r\n";
  for (int i = 1; i <= entries; ++i) {
    char name[16];
    snprintf(name, sizeof name, "F%05d.ZIP", i);
    text += entry_line(name, std::to_string(1000 + i), "02-01-93", "Entry") + "\r\n";
  }
  return text;
}

// The progress line of a run of `entries` entries from column 1 of a row
// that is not the bottom one, up to "DONE." and its line end.
std::string progress(int entries, const std::string& line_end = kNext) {
  std::string text = "Processing: ";
  for (int count = 1; count <= entries; ++count) {
    if (count > 1) text += "\x1b[" + std::to_string(std::to_string(count - 1).size() + 11) + "D";
    text += std::to_string(count) + " files ... ";
  }
  return text + "DONE." + line_end;
}

class Terminal : public testing::Test {
 protected:
  PtyRun convert(const std::string& listing_path, PtyOptions options = {}) {
    options.argv = {TOLVCONV_BINARY, listing_path, dir / "base"};
    PtyRun run = run_in_pty(options);
    EXPECT_FALSE(run.timed_out);
    EXPECT_TRUE(same_modes(run.modes_before, run.modes_after))
        << "the terminal was left in other modes";
    return run;
  }

  PtyRun convert_entries(int entries, PtyOptions options = {}) {
    write_file(dir / "area.lst", listing(entries));
    return convert(dir / "area.lst", options);
  }

  TempDir dir;
};

TEST_F(Terminal, ConversionFromRowFive) {
  PtyRun run = convert_entries(2);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kAsk + kPlain + kDown + kLine1 + kNext + kLine2 + kNext + kDown + kLine3 +
                            kNext + kDown + "Processing: 1 files ... \x1b[12D2 files ... DONE." +
                            kNext);
  EXPECT_EQ(read_file(dir / "base.dir").size(), 2 * 120u);
}

TEST_F(Terminal, StartOnTheBottomRowScrolls) {
  PtyOptions options;
  options.reply = "\x1b[24;1R";
  PtyRun run = convert_entries(2, options);
  const std::string scroll = "\n\r";
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kAsk + kPlain + scroll + kLine1 + scroll + kLine2 + scroll + scroll +
                            kLine3 + scroll + scroll + progress(2, scroll));
}

TEST_F(Terminal, CursorReportedAwayFromColumnOne) {
  PtyOptions options;
  options.reply = "\x1b[5;20R";
  PtyRun run = convert_entries(1, options);
  // The first (empty) line ends with CR LF from column 20; the rest as from
  // column 1.
  EXPECT_EQ(run.output, kAsk + kPlain + kNext + kLine1 + kNext + kLine2 + kNext + kDown + kLine3 +
                            kNext + kDown + progress(1));
}

// Waits out the one-second limit for the answer.
TEST_F(Terminal, NoAnswerHomesTheCursor) {
  PtyOptions options;
  options.reply = "";
  PtyRun run = convert_entries(1, options);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, kAsk + "\x1b[H" + kPlain + kDown + kLine1 + kNext + kLine2 + kNext + kDown +
                            kLine3 + kNext + kDown + progress(1));
}

TEST_F(Terminal, CountsOverwriteInPlaceAsTheyGrow) {
  PtyRun run = convert_entries(101);
  EXPECT_EQ(run.status, 0);
  std::string out = run.output;
  ASSERT_NE(out.find("Processing: "), std::string::npos);
  std::string line = out.substr(out.find("Processing: "));
  EXPECT_EQ(line, progress(101));
  EXPECT_NE(line.find("\x1b[12D10 files ... \x1b[13D11 files"), std::string::npos);
  EXPECT_NE(line.find("\x1b[13D100 files ... \x1b[14D101 files ... DONE."), std::string::npos);
}

// Rows of `width` columns from column 1, each ended by CR LF (no bottom row
// reached).
std::string wrapped(const std::string& line, size_t width) {
  std::string text;
  for (size_t at = 0; at < line.size(); at += width) text += line.substr(at, width) + kNext;
  return text;
}

TEST_F(Terminal, NarrowerThanTheCountColumn) {
  PtyOptions options;
  options.rows = 60;
  options.columns = 10;
  options.reply = "\x1b[1;1R";
  PtyRun run = convert_entries(2, options);
  EXPECT_EQ(run.status, 0);
  // Column 13 is off the screen: the count moves are dropped and the text
  // wraps where it stands.
  EXPECT_EQ(run.output, kAsk + kPlain + kDown + wrapped(kLine1, 10) + wrapped(kLine2, 10) + kDown +
                            wrapped(kLine3, 10) + kDown + "Processing" + kNext + ": 1 files " +
                            kNext + "... 2 file" + kNext + "s ... DONE" + kNext + "." + kNext);
}

const std::string kBanner =
    kAsk + kPlain + kDown + kLine1 + kNext + kLine2 + kNext + kDown + kLine3 + kNext + kDown;

TEST_F(Terminal, LongErrorLineWrapsAtTheRightEdge) {
  std::string path = dir / std::string(70, 'p') + ".lst";
  PtyRun run = convert(path);
  EXPECT_EQ(run.status, 1);
  std::string line = "\aERROR: PCBoard file listing (" + path + ") not found.";
  ASSERT_GT(line.size(), 80u);
  ASSERT_LT(line.size(), 160u);
  EXPECT_EQ(run.output, kBanner + line.substr(0, 80) + kNext + line.substr(80) + kNext);
}

TEST_F(Terminal, EscapeInAPathIsShownNotObeyed) {
  PtyRun run = convert("a\x1b[2Jb");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, kBanner + "\aERROR: PCBoard file listing (a^[[2Jb) not found." + kNext);
}

TEST_F(Terminal, EndingSignalsMidRunRestoreTheModes) {
  // Those of the hang-up and termination family, and one that ends the
  // process by default without being meant to.
  for (int signal : {SIGTERM, SIGUSR1}) {
    // The listing comes through a FIFO that is held open: the run waits for
    // more entries until the signal comes.
    std::string fifo = dir / ("area" + std::to_string(signal) + ".lst");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int writer = open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    std::string entries = listing(3);
    ASSERT_EQ(write(writer, entries.data(), entries.size()), ssize_t(entries.size()));

    PtyOptions options;
    bool sent = false;
    options.on_output = [&](pid_t child, const std::string& output) {
      if (!sent && output.find("2 files ... ") != std::string::npos) {
        kill(child, signal);
        sent = true;
      }
    };
    PtyRun run = convert(fifo, options);
    close(writer);
    EXPECT_TRUE(sent);
    EXPECT_EQ(run.signal, signal);
    // Nothing after the signal: no message, no exit sequence.
    EXPECT_EQ(run.output, kBanner + "Processing: 1 files ... \x1b[12D2 files ... ");
  }
}

TEST_F(Terminal, AWritePastTheFileSizeLimitEndsWith101AndRestoresTheModes) {
  write_file(dir / "area.lst", listing(70));
  PtyOptions options;
  // 15 blocks of 512 bytes are 64 records: the 65th record's write starts at
  // the limit, and writes nothing.
  options.argv = {
      "/bin/sh",        "-c",        "ulimit -f 15 && exec \"$0\" \"$@\"", TOLVCONV_BINARY,
      dir / "area.lst", dir / "base"};
  PtyRun run = run_in_pty(options);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.status, 101);
  EXPECT_TRUE(same_modes(run.modes_before, run.modes_after));
  EXPECT_NE(run.output.find("65 files ... Runtime error 101 at 0x"), std::string::npos)
      << run.output;
  EXPECT_EQ(read_file(dir / "base.dir").size(), 64u * 120);
}

TEST_F(Terminal, CtrlCEndsARunThatReadsTheListingFromTheTerminal) {
  PtyOptions options;
  options.type_after = "Processing: ";
  options.keys = "\x03";
  PtyRun run = convert("", options);
  EXPECT_EQ(run.signal, SIGINT);
  EXPECT_EQ(run.output, kBanner + "Processing: ");
}

// The same for a producer that never ends: the listing is a pipe whose
// writing end the test holds open, so only the interrupt key ends the run.
TEST_F(Terminal, CtrlCEndsARunThatReadsAPipeThatNeverEnds) {
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  std::string entries = listing(2);
  ASSERT_EQ(write(ends[1], entries.data(), entries.size()), ssize_t(entries.size()));
  ASSERT_EQ(fcntl(ends[0], F_SETFD, 0), 0);  // the reading end goes to the program
  PtyOptions options;
  options.argv = {"/bin/sh", "-c", "exec \"$0\" '' \"$1\" <&" + std::to_string(ends[0]),
                  TOLVCONV_BINARY, dir / "base"};
  // The last entry waits for the line after it, which never comes.
  options.type_after = "1 files ... ";
  options.keys = "\x03";
  PtyRun run = run_in_pty(options);
  close(ends[0]);
  close(ends[1]);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.signal, SIGINT);
  EXPECT_TRUE(same_modes(run.modes_before, run.modes_after));
  // A pipe is not asked for the position: the cursor is sent home.
  // The count is shown before its record is written: the key may come
  // between the two.
  EXPECT_EQ(run.output, "\x1b[H" + kBanner.substr(kAsk.size()) + "Processing: 1 files ... ");
}

// Standard input is the base's own description file, open for reading and
// writing: the position query must not land in it.
TEST_F(Terminal, AFileAsStandardInputIsNotAskedForThePosition) {
  ASSERT_EQ(convert_entries(2).status, 0);
  std::string records = read_file(dir / "base.dir"), descriptions = read_file(dir / "base.des");
  PtyOptions options;
  options.argv = {
      "/bin/sh",    "-c",   "exec \"$0\" \"$@\" 0<>\"$2.des\"", TOLVCONV_BINARY, dir / "area.lst",
      dir / "base", "-DUPE"};
  PtyRun run = run_in_pty(options);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(same_modes(run.modes_before, run.modes_after));
  EXPECT_EQ(read_file(dir / "base.des"), descriptions);
  EXPECT_EQ(read_file(dir / "base.dir"), records);
  // As with a terminal that does not answer: the cursor is sent home.
  EXPECT_EQ(run.output, "\x1b[H" + kBanner.substr(kAsk.size()) + "Processing: DONE." + kNext);
}

}  // namespace
}  // namespace tolv::test
