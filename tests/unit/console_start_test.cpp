// Starting and stopping the console: the choice of mode, raw mode and its
// undoing, the screen size, the start-up bytes and the signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "console/raw_mode.h"
#include "unit/console_fixture.h"

namespace tolv {
namespace {

using console_test::ConsoleTest;
using console_test::fake;
using console_test::take_output;

termios cooked_modes() {
  termios t{};
  t.c_iflag = BRKINT | ICRNL | IXON | IMAXBEL | IUTF8;
  t.c_oflag = OPOST | ONLCR;
  t.c_cflag = CS7 | PARENB | CREAD | HUPCL;
  t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN | ECHOCTL;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_cc[VINTR] = 3;
  return t;
}

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

TEST(RawModes, ClearsAndSetsExactlyTheseFlags) {
  termios all{};
  all.c_iflag = ~tcflag_t{0};
  all.c_oflag = ~tcflag_t{0};
  all.c_cflag = ~tcflag_t{0} & ~tcflag_t{CSIZE};
  all.c_lflag = ~tcflag_t{0};
  all.c_cc[VMIN] = 7;
  all.c_cc[VTIME] = 9;
  termios raw = raw_modes(all);
  EXPECT_EQ(raw.c_iflag,
            ~tcflag_t{IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON});
  EXPECT_EQ(raw.c_oflag, ~tcflag_t{OPOST});
  EXPECT_EQ(raw.c_lflag, ~tcflag_t{ECHO | ECHONL | ICANON | ISIG | IEXTEN});
  EXPECT_EQ(raw.c_cflag, (~tcflag_t{CSIZE | PARENB}) | CS8);
  EXPECT_EQ(raw.c_cc[VMIN], 7);
  EXPECT_EQ(raw.c_cc[VTIME], 9);
}

using Start = ConsoleTest;

// The signal keys follow where the listing comes from (a pipe or a file as
// standard input keeps them too); the query, whether standard input is a
// terminal.
TEST_F(Start, StandardInputDecidesTheSignalKeysAndThePositionQuery) {
  struct Case {
    bool listing_on_stdin, input_is_terminal, keys, asked;
  };
  for (Case c : {Case{true, true, true, true}, Case{true, false, true, false},
                 Case{false, true, false, true}, Case{false, false, false, false}}) {
    SCOPED_TRACE(testing::Message() << c.listing_on_stdin << c.input_is_terminal);
    console_stop();
    fake = console_test::FakeTerminal{};
    fake.modes = cooked_modes();
    fake.input_is_terminal = c.input_is_terminal;
    console_start(c.listing_on_stdin);
    ASSERT_EQ(fake.applied.size(), 1u);
    termios raw = raw_modes(cooked_modes());
    if (c.keys) {
      raw.c_lflag |= ISIG;
      raw.c_cc[VSUSP] = _POSIX_VDISABLE;
    }
    EXPECT_TRUE(same_modes(fake.applied[0], raw));
    EXPECT_EQ(fake.stdin_bytes, c.asked ? "\x1b[6n" : "");
    // Not asked, it waits for an answer all the same, and none comes.
    EXPECT_EQ(fake.wait_timeout, 1000);
    EXPECT_EQ(take_output(), c.asked ? "\x1b[m" : "\x1b[H\x1b[m");
  }
}

TEST_F(Start, RedirectedTouchesNothing) {
  start_redirected();
  EXPECT_TRUE(fake.writes.empty());
  EXPECT_TRUE(fake.stdin_bytes.empty());
  EXPECT_TRUE(fake.applied.empty());
  EXPECT_EQ(fake.wait_fd, -1);
  EXPECT_EQ(console_current_row(), 1);
  console_stop();
  EXPECT_TRUE(fake.writes.empty());
  EXPECT_TRUE(fake.applied.empty());
}

TEST_F(Start, TerminalGoesRawAndAsksWhereTheCursorIs) {
  fake.modes = cooked_modes();
  fake.reply = "\x1b[5;1R";
  console_start();
  ASSERT_EQ(fake.applied.size(), 1u);
  EXPECT_EQ(fake.applied_actions[0], TCSANOW);
  EXPECT_TRUE(same_modes(fake.applied[0], raw_modes(cooked_modes())));
  EXPECT_EQ(fake.stdin_bytes, "\x1b[6n");
  EXPECT_EQ(take_output(), "\x1b[m");
  EXPECT_EQ(console_current_row(), 5);
}

TEST_F(Start, StopRestoresTheSavedModesOnce) {
  fake.modes = cooked_modes();
  console_start();
  console_stop();
  ASSERT_EQ(fake.applied.size(), 2u);
  EXPECT_EQ(fake.applied_actions[1], TCSANOW);
  EXPECT_TRUE(same_modes(fake.applied[1], cooked_modes()));
  console_stop();
  EXPECT_EQ(fake.applied.size(), 2u);
  EXPECT_EQ(take_output(), "\x1b[m");  // nothing sent at stop
}

TEST_F(Start, WithoutAnAnswerTheCursorGoesHome) {
  fake.reply = "";
  console_start();
  EXPECT_EQ(take_output(), "\x1b[H\x1b[m");
  EXPECT_EQ(console_current_row(), 1);
}

TEST_F(Start, AnUnusableAnswerCountsAsNone) {
  fake.reply = "\x1b[0;5R";
  console_start();
  EXPECT_EQ(take_output(), "\x1b[H\x1b[m");
  EXPECT_EQ(console_current_row(), 1);
}

TEST_F(Start, ScreenSizeFromTheTerminal) {
  struct Case {
    bool fails;
    unsigned short rows, columns;
    int height, width;
  };
  // A dimension that is not reported (a failed query, a 0) takes the
  // default; the other is kept.
  for (Case c : {Case{false, 40, 100, 40, 100}, Case{true, 40, 100, 25, 80},
                 Case{false, 0, 100, 25, 100}, Case{false, 40, 0, 40, 80}}) {
    SCOPED_TRACE(testing::Message() << c.rows << "x" << c.columns << " fails " << c.fails);
    console_stop();
    fake = console_test::FakeTerminal{};
    fake.winsize_fails = c.fails;
    fake.rows = c.rows;
    fake.columns = c.columns;
    fake.reply = "\x1b[999;999R";
    console_start();
    EXPECT_EQ(console_current_row(), c.height);
    take_output();
    console_move_cursor(c.width + 1, c.height);
    console_move_cursor(c.width, c.height);
    EXPECT_EQ(take_output(), "");
  }
}

TEST_F(Start, FailuresOfModeSwitchingAreIgnored) {
  fake.modes_error = EIO;
  console_start();
  EXPECT_EQ(take_output(), "\x1b[m");
  console_stop();
  EXPECT_EQ(pending_error, 0);
}

TEST_F(Start, IgnoresBrokenPipes) {
  struct sigaction before {};
  sigaction(SIGPIPE, nullptr, &before);
  start_redirected();
  struct sigaction now {};
  sigaction(SIGPIPE, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  sigaction(SIGPIPE, &before, nullptr);
}

using Signals = ConsoleTest;

TEST_F(Signals, CaughtOnlyWhileATerminalIsRaw) {
  auto handler = [](int signal) {
    struct sigaction now {};
    sigaction(signal, nullptr, &now);
    return now.sa_handler;
  };
  start_redirected();
  EXPECT_EQ(handler(SIGTERM), SIG_DFL);
  start_terminal(24, 80, 1, 5);
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) EXPECT_NE(handler(signal), SIG_DFL);
  console_stop();
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) EXPECT_EQ(handler(signal), SIG_DFL);
}

TEST_F(Signals, AnIgnoredSignalStaysIgnored) {
  struct sigaction ignore {
  }, before{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGHUP, &ignore, &before);
  start_terminal(24, 80, 1, 5);
  struct sigaction now {};
  sigaction(SIGHUP, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  console_stop();
  sigaction(SIGHUP, &before, nullptr);
}

using SignalsDeathTest = ConsoleTest;

// The death test's child reports on stderr whether the terminal got its own
// modes back before the signal ended it.
void report_restore(const termios& modes) {
  if (same_modes(modes, cooked_modes())) {
    static const char kRestored[] = "modes restored\n";
    ssize_t ignored = ::write(2, kRestored, sizeof kRestored - 1);
    (void)ignored;
  }
}

TEST_F(SignalsDeathTest, TerminationRestoresTheModesAndEndsBySignal) {
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) {
    SCOPED_TRACE(signal);
    EXPECT_EXIT(
        {
          fake.modes = cooked_modes();
          console_start();
          fake.on_modes = report_restore;
          raise(signal);
        },
        testing::KilledBySignal(signal), "modes restored");
  }
}

}  // namespace
}  // namespace tolv
