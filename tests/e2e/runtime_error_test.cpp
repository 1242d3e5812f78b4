// The built binary ended by input/output failures and by processor faults:
// exit status, the message after the console output, and positions that do
// not move with the load address.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "e2e/programs.h"
#include "support/banner.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/listing_text.h"
#include "support/pty.h"

namespace tolv::test {
namespace {

std::string entry(int number, int extra_lines = 0) {
  std::string name = "FILE" + std::to_string(number) + ".ZIP";
  std::string text = entry_line(name, "1000", "01-15-95", std::string(50, 'a' + number)) + "\n";
  for (int i = 0; i < extra_lines; ++i) text += continuation_line(std::string(50, 'A' + i)) + "\n";
  return text;
}

// The binary running with its standard output on a pipe we read as it comes.
struct Running {
  pid_t pid = -1;
  int out = -1;
  std::string output;
};

Running start(const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  Running running;
  running.pid = fork();
  if (running.pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    exec_argv(program_argv(TOLVCONV_BINARY, args));
  }
  close(fds[1]);
  running.out = fds[0];
  return running;
}

// Reads output until it holds `text`. False when the output ends first, or
// nothing comes for half a minute (a stuck run fails instead of hanging).
bool read_until(Running& running, const std::string& text) {
  while (running.output.find(text) == std::string::npos) {
    pollfd ready{running.out, POLLIN, 0};
    if (poll(&ready, 1, 30000) <= 0) return false;
    char buf[512];
    ssize_t n = read(running.out, buf, sizeof buf);
    if (n <= 0) return false;
    running.output.append(buf, n);
  }
  return true;
}

// Reads the rest of the output and waits for the end of the process.
Outcome finish(Running& running) {
  char buf[512];
  ssize_t n;
  while ((n = read(running.out, buf, sizeof buf)) > 0) running.output.append(buf, n);
  close(running.out);
  Outcome outcome;
  outcome.output = running.output;
  int status = 0;
  waitpid(running.pid, &status, 0);
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  return outcome;
}

// The state letter of /proc/PID/stat: 'S' while the process waits.
char process_state(pid_t pid) {
  std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
  size_t paren = stat.rfind(')');
  return paren == std::string::npos || paren + 2 >= stat.size() ? '?' : stat[paren + 2];
}

// Where the binary is mapped: the start of the first of its lines in maps
// (the first line of all may belong to a sanitizer's shadow memory).
std::string load_address(pid_t pid) {
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  const std::string binary = TOLVCONV_BINARY;
  for (std::string line; std::getline(maps, line);) {
    if (line.size() >= binary.size() && line.substr(line.size() - binary.size()) == binary)
      return line.substr(0, line.find('-'));
  }
  return "";
}

struct Interrupted {
  Outcome run;
  ErrorMessage message;
  std::string load_address;
  std::string records;
};

// A FIFO at `fifo` that holds three entries and then nothing; the
// descriptor that feeds it, opened for reading too, so that neither side
// waits for the other to open.
int three_entries_then_nothing(const std::string& fifo) {
  EXPECT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int feed = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
  std::string text = entry(1) + entry(2) + entry(3);
  EXPECT_EQ(write(feed, text.data(), text.size()), ssize_t(text.size()));
  return feed;
}

// Converts from such a FIFO and sends `signal` once the run has shown
// "2 files ... " and waits for more.
Interrupted interrupt_conversion(int signal) {
  TempDir dir;
  std::string fifo = dir / "in.lst";
  int feed = three_entries_then_nothing(fifo);

  Running running = start({fifo, dir / "base"});
  Interrupted result;
  EXPECT_TRUE(read_until(running, "2 files ... ")) << running.output;
  // The third entry's next line never comes: wait until the run blocks.
  for (int i = 0; i < 30000 && process_state(running.pid) != 'S'; ++i) usleep(1000);
  result.load_address = load_address(running.pid);
  kill(running.pid, signal);
  result.run = finish(running);
  close(feed);
  result.message = parse_error_message(result.run.output);
  result.records = read_file(dir / "base.dir");
  return result;
}

void expect_fault_after_the_progress_line(const Interrupted& result, int code) {
  EXPECT_EQ(result.run.status, code);
  ASSERT_TRUE(result.message.found) << result.run.output;
  EXPECT_EQ(result.message.code, code);
  EXPECT_EQ(result.message.console, kBanner + "Processing: 1 files ... 2 files ... ");
  EXPECT_EQ(result.message.trace.size(), 1u);
  EXPECT_EQ(result.records.size(), 2 * 120u);  // what was written stays
}

TEST(RuntimeError, SigsegvEndsTheRunWith216AfterTheConsoleOutput) {
  expect_fault_after_the_progress_line(interrupt_conversion(SIGSEGV), 216);
}

TEST(RuntimeError, SigfpeWithoutAFlagEndsTheRunWith200AfterTheConsoleOutput) {
  expect_fault_after_the_progress_line(interrupt_conversion(SIGFPE), 200);
}

TEST(RuntimeError, OnATerminalTheModesAreRestoredBeforeTheMessage) {
  TempDir dir;
  std::string fifo = dir / "in.lst";
  int feed = three_entries_then_nothing(fifo);

  PtyOptions options;
  options.argv = {TOLVCONV_BINARY, fifo, dir / "base"};
  bool sent = false;
  options.on_output = [&](pid_t child, const std::string& output) {
    if (!sent && output.find("2 files ... ") != std::string::npos) sent = kill(child, SIGSEGV) == 0;
  };
  PtyRun run = run_in_pty(options);
  close(feed);
  ASSERT_TRUE(sent);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 216);
  EXPECT_TRUE(same_modes(run.modes_before, run.modes_after)) << "the terminal was left raw";

  // The console writes raw; the message's LF only becomes CR LF because the
  // terminal's own output processing is back when the message is written.
  size_t at = run.output.find("Runtime error ");
  ASSERT_NE(at, std::string::npos) << run.output;
  EXPECT_TRUE(run.output.substr(0, at).ends_with("2 files ... ")) << run.output;
  std::string message = run.output.substr(at);
  std::string unix_lines;
  for (size_t i = 0; i < message.size(); ++i) {
    if (message.compare(i, 2, "\r\n") == 0) continue;  // the CR of a CR LF
    unix_lines += message[i];
  }
  EXPECT_EQ(std::count(message.begin(), message.end(), '\r'), 4) << message;
  ErrorMessage parsed = parse_error_message(unix_lines);
  ASSERT_TRUE(parsed.found) << message;
  EXPECT_EQ(parsed.code, 216);
  EXPECT_EQ(parsed.trace.size(), 1u);
}

TEST(RuntimeError, ABaseInAMissingDirectoryEndsWithCode2) {
  TempDir dir;
  write_file(dir / "in.lst", entry(1));
  Outcome run = run_tolvconv({dir / "in.lst", dir / "no/such/base"});
  EXPECT_EQ(run.status, 2);
  ErrorMessage message = parse_error_message(run.output);
  ASSERT_TRUE(message.found) << run.output;
  EXPECT_EQ(message.code, 2);
  EXPECT_EQ(message.console, kBanner);
  EXPECT_EQ(message.trace.size(), 1u);
}

TEST(RuntimeError, RedirectedTheMessageSitsOnTheProgressLineAndEndsWithAnEmptyLine) {
  // Each entry's description takes 255 bytes; a file size limit of 700
  // bytes lets the third entry's lines be stored only in part.
  TempDir dir;
  write_file(dir / "in.lst", entry(1, 4) + entry(2, 4) + entry(3, 4) + entry(4, 4));
  pid_t pid = fork();
  if (pid == 0) {
    int out = open((dir / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit stores what fits
    rlimit limit{700, 700};
    setrlimit(RLIMIT_FSIZE, &limit);
    execl(TOLVCONV_BINARY, TOLVCONV_BINARY, (dir / "in.lst").c_str(), (dir / "base").c_str(),
          nullptr);
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 101);

  std::string output = read_file(dir / "out.txt");
  ErrorMessage message = parse_error_message(output);
  ASSERT_TRUE(message.found) << output;
  EXPECT_EQ(message.console, kBanner + "Processing: 1 files ... 2 files ... 3 files ... ");
  EXPECT_EQ(message.code, 101);
  EXPECT_EQ(message.trace.size(), 1u);
  EXPECT_EQ(output.substr(output.size() - 2), "\n\n");
  EXPECT_EQ(read_file(dir / "base.dir").size(), 2 * 120u);
  EXPECT_EQ(read_file(dir / "base.des").size(), 700u);
}

TEST(RuntimeError, PositionsAreTheSameOnEveryRunWhateverTheLoadAddress) {
  TempDir dir;
  write_file(dir / "in.lst", entry(1));
  std::vector<std::string> args{TOLVCONV_BINARY, dir / "in.lst", dir / "no/such/base"};
  ErrorMessage first = parse_error_message(run_binary(args).output);
  ErrorMessage second = parse_error_message(run_binary(args).output);
  ASSERT_TRUE(first.found && second.found);
  EXPECT_EQ(first.position, second.position);
  EXPECT_EQ(first.trace, second.trace);

  // A signal that comes while the run waits in the C library's read.
  Interrupted one = interrupt_conversion(SIGSEGV), two = interrupt_conversion(SIGSEGV);
  ASSERT_TRUE(one.message.found && two.message.found);
  EXPECT_EQ(one.message.position, two.message.position);
  EXPECT_EQ(one.message.trace, two.message.trace);
  EXPECT_EQ(one.message.trace, first.trace);  // both return into the start code
  ASSERT_NE(one.load_address, "");
  if (read_file("/proc/sys/kernel/randomize_va_space").substr(0, 1) != "0") {
    EXPECT_NE(one.load_address, two.load_address) << "address-space randomisation is on";
  }
}

}  // namespace
}  // namespace tolv::test
