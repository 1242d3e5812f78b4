// A terminal (or a pipe) on the console's descriptors, faked through the
// system-call table: the console's tests start it in either mode, answer its
// position query as they like and see every write it makes.
#pragma once

#include <errno.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "console/console.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv::console_test {

struct FakeTerminal {
  bool is_terminal = true;  // tcgetattr on descriptor 1 succeeds
  bool winsize_fails = false;
  unsigned short rows = 24;
  unsigned short columns = 80;
  std::string reply = "\x1b[5;1R";  // the answer to the position query; "" for none
  termios modes{};                  // the terminal's modes as tcgetattr reports them

  std::string stdin_bytes;          // written on descriptor 0
  std::vector<std::string> writes;  // each write on descriptor 1, as asked
  std::vector<termios> applied;     // each tcsetattr, in order
  std::vector<int> applied_actions;
  int wait_fd = -1;
  int wait_timeout = -1;
  size_t read_count = 0;  // `count` of the read that took the answer

  bool writes_fail = false;       // every write on 1 fails with EIO
  size_t write_limit = SIZE_MAX;  // a write on 1 takes at most this many bytes
};

inline FakeTerminal fake;

inline int fake_tcgetattr(int fd, termios* t) {
  if (fd != 1 || !fake.is_terminal) {
    errno = ENOTTY;
    return -1;
  }
  *t = fake.modes;
  return 0;
}

inline int fake_tcsetattr(int fd, int action, const termios* t) {
  if (fd != 1 || !fake.is_terminal) {
    errno = ENOTTY;
    return -1;
  }
  fake.applied.push_back(*t);
  fake.applied_actions.push_back(action);
  fake.modes = *t;
  return 0;
}

inline int fake_get_winsize(int fd, winsize* ws) {
  if (fd != 1 || !fake.is_terminal || fake.winsize_fails) {
    errno = ENOTTY;
    return -1;
  }
  *ws = winsize{fake.rows, fake.columns, 0, 0};
  return 0;
}

inline int fake_wait_readable(int fd, int timeout_ms) {
  fake.wait_fd = fd;
  fake.wait_timeout = timeout_ms;
  return fake.reply.empty() ? 0 : 1;
}

inline ssize_t fake_read(int fd, void* buf, size_t count) {
  if (fd != 1) {
    errno = EBADF;
    return -1;
  }
  fake.read_count = count;
  size_t n = std::min(count, fake.reply.size());
  memcpy(buf, fake.reply.data(), n);
  fake.reply.erase(0, n);
  return static_cast<ssize_t>(n);
}

inline ssize_t fake_write(int fd, const void* buf, size_t count) {
  const char* bytes = static_cast<const char*>(buf);
  if (fd == 0) {
    fake.stdin_bytes.append(bytes, count);
    return static_cast<ssize_t>(count);
  }
  if (fd != 1) {
    errno = EBADF;
    return -1;
  }
  fake.writes.emplace_back(bytes, count);
  if (fake.writes_fail) {
    errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(std::min(count, fake.write_limit));
}

// Every byte written on descriptor 1 since the last call.
inline std::string take_output() {
  std::string all;
  for (const std::string& w : fake.writes) all += w;
  fake.writes.clear();
  return all;
}

// Each test starts from a fresh fake and leaves the real table, no pending
// code and a stopped console behind.
class ConsoleTest : public testing::Test {
 protected:
  void SetUp() override {
    fake = FakeTerminal{};
    sys.tcgetattr = fake_tcgetattr;
    sys.tcsetattr = fake_tcsetattr;
    sys.get_winsize = fake_get_winsize;
    sys.wait_readable = fake_wait_readable;
    sys.read = fake_read;
    sys.write = fake_write;
    pending_error = 0;
  }
  void TearDown() override {
    console_stop();
    sys = real_syscalls;
    pending_error = 0;
  }

  // Starts on a rows x columns terminal whose cursor stands at (column, row),
  // then forgets what the start wrote. A console started before is stopped.
  void start_terminal(int rows, int columns, int column, int row) {
    console_stop();
    fake.is_terminal = true;
    fake.rows = static_cast<unsigned short>(rows);
    fake.columns = static_cast<unsigned short>(columns);
    fake.reply = "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "R";
    console_start();
    take_output();
  }

  void start_redirected() {
    console_stop();
    fake.is_terminal = false;
    console_start();
  }
};

}  // namespace tolv::console_test
