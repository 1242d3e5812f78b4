// The exit sequence, the run-time error message and the statement check,
// each run in a child since every way out ends the process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "runtime/exit.h"
#include "runtime/io_error.h"
#include "support/call_levels.h"
#include "support/child.h"
#include "support/error_message.h"
#include "support/fake_os.h"

namespace tolv {
namespace {

using test::nest;
using test::Outcome;
using test::run_in_child;

void write_out(const char* text) {
  if (write(1, text, strlen(text)) < 0) _exit(2);
}

void console_stop_marker() {
  write_out("[console stopped]");
}

TEST(ExitSequence, ARunTimeErrorStopsTheConsoleThenWritesTheMessageAndExitsWithTheCode) {
  Outcome run = run_in_child([] {
    set_console_stop(console_stop_marker);
    write_out("Processing: 3 files ... ");
    raise_runtime_error(101, 0x00ABCDEF, 0);
  });
  EXPECT_EQ(run.status, 101);
  EXPECT_EQ(run.output,
            "Processing: 3 files ... [console stopped]Runtime error 101 at 0x00ABCDEF\n"
            "  0x00ABCDEF\n"
            "\n");
}

TEST(ExitSequence, TheStatusIsTheCodeForEveryCode) {
  for (uint16_t code : {2, 3, 4, 5, 6, 100, 101, 103, 162, 200, 205, 206, 207, 216, 217, 218}) {
    Outcome run = run_in_child([&] { raise_runtime_error(code, 0xFFFFFFFF, 0); });
    EXPECT_EQ(run.status, code);
    EXPECT_EQ(run.output,
              "Runtime error " + std::to_string(code) + " at 0xFFFFFFFF\n  0xFFFFFFFF\n\n");
  }
}

TEST(ExitSequence, HaltAndNormalEndStopTheConsoleAndWriteNoMessage) {
  Outcome run = run_in_child([] {
    set_console_stop(console_stop_marker);
    halt(1);
  });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "[console stopped]");

  run = run_in_child([] {
    set_console_stop(console_stop_marker);
    normal_end();
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "[console stopped]");
}

void stop_that_ends_the_run_again() {
  write_out("[console stopped]");
  raise_runtime_error(216, 0x10, 0);
}

TEST(ExitSequence, RunsOnceEvenWhenTheConsoleStopEndsTheRunAgain) {
  Outcome run = run_in_child([] {
    set_console_stop(stop_that_ends_the_run_again);
    raise_runtime_error(5, 0x20, 0);
  });
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(run.output, "[console stopped]");
}

// Checks with a code pending after a statement at site 1 or site 2.
[[gnu::noinline]] void two_checked_statements(int failing) {
  if (failing == 1) pending_error = 2;
  statement_check();
  if (failing == 2) pending_error = 2;
  statement_check();
}

// A check as the last statement of a function, reached from two places.
[[gnu::noinline]] void check_as_last_statement() {
  pending_error = 3;
  statement_check();
}

[[gnu::noinline]] void call_from_two_places(int place) {
  if (place == 1) {
    check_as_last_statement();
    write_out("1");
  } else {
    check_as_last_statement();
    write_out("2");
  }
  normal_end();
}

std::string position_of(const std::function<void()>& body) {
  test::ErrorMessage message = test::parse_error_message(run_in_child(body).output);
  EXPECT_TRUE(message.found);
  return message.position;
}

TEST(StatementCheck, EachCheckedStatementHasItsOwnPositionOnEveryRun) {
  std::string first = position_of([] { two_checked_statements(1); });
  EXPECT_EQ(position_of([] { two_checked_statements(1); }), first);
  EXPECT_NE(position_of([] { two_checked_statements(2); }), first);

  // The position is the check's own place, also where the check is the last
  // thing its function does, not the place the function was called from.
  EXPECT_EQ(position_of([] { call_from_two_places(1); }),
            position_of([] { call_from_two_places(2); }));
}

TEST(StatementCheck, WithoutAPendingCodeNothingHappens) {
  Outcome run = run_in_child([] {
    two_checked_statements(0);
    normal_end();
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, "");
}

void fail_here() {
  pending_error = 101;
  statement_check();
}

TEST(Trace, OneLinePerCallLevelInnermostFirst) {
  test::ErrorMessage message =
      test::parse_error_message(run_in_child([] { nest(3, fail_here); }).output);
  ASSERT_TRUE(message.found);
  ASSERT_EQ(message.trace.size(), 3u);
  EXPECT_EQ(message.trace[0], message.trace[1]);  // both return into nest
  EXPECT_NE(message.trace[2], message.trace[1]);  // the outermost returns here
  EXPECT_NE(message.position, message.trace[0]);

  message = test::parse_error_message(run_in_child([] { fail_here(); }).output);
  ASSERT_TRUE(message.found);
  EXPECT_TRUE(message.trace.empty());
}

TEST(Trace, StopsAfter257LinesOrAfter9OnATerminal) {
  Outcome run = run_in_child([] { nest(300, fail_here); });
  test::ErrorMessage message = test::parse_error_message(run.output);
  ASSERT_TRUE(message.found);
  EXPECT_EQ(message.trace.size(), 257u);
  EXPECT_EQ(run.status, 101);

  run = run_in_child([] {
    static test::FakeTerminal terminal;  // descriptor 1 stays the pipe
    terminal.keeps_output = false;
    test::install_terminal(terminal);
    nest(300, fail_here);
  });
  message = test::parse_error_message(run.output);
  ASSERT_TRUE(message.found);
  EXPECT_EQ(message.trace.size(), 9u);
}

TEST(Trace, ALevelThatReturnsIsClosed) {
  static int inside = -1;
  nest(4, [] { inside = call_depth(); });
  EXPECT_EQ(inside, 4);
  EXPECT_EQ(call_depth(), 0);
}

}  // namespace
}  // namespace tolv
