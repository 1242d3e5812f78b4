// The message stream: a 256-byte buffer on descriptor 1, one write request
// per statement, a short write sets 101 and drops the rest.
#include <errno.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "runtime/io_error.h"
#include "runtime/message.h"
#include "support/child.h"
#include "support/fake_os.h"

namespace tolv {
namespace {

using test::Call;
using test::Fault;

// Runs the statements in a child with `faults` in place, then appends
// "|writes=N pending=P" with the stream's write requests and the code left.
test::Outcome write_statements(std::vector<std::string> statements, std::vector<Fault> faults,
                               uint16_t pending = 0) {
  return test::run_in_child([&] {
    pending_error = pending;
    test::install_faults(faults);
    for (const std::string& s : statements) message_write(s);
    int writes = test::calls_made(Call::Write);
    test::remove_faults();
    std::string report =
        "|writes=" + std::to_string(writes) + " pending=" + std::to_string(pending_error);
    if (write(1, report.data(), report.size()) < 0) _exit(2);
    _exit(0);
  });
}

TEST(MessageStream, EachStatementGoesOutInOneWrite) {
  test::Outcome run = write_statements({"Runtime error 5 at 0x00001234\n", "  0x00001234\n"}, {});
  EXPECT_EQ(run.output, "Runtime error 5 at 0x00001234\n  0x00001234\n|writes=2 pending=0");
}

TEST(MessageStream, AStatementLongerThanTheBufferIsWrittenWhenTheBufferFills) {
  std::string text(300, 'x');
  test::Outcome run = write_statements({text}, {});
  EXPECT_EQ(run.output, text + "|writes=2 pending=0");
}

TEST(MessageStream, AShortWriteSets101AndTheRestIsDropped) {
  test::Outcome run = write_statements({"Runtime error 2 at 0x00001234\n", "  0x00001234\n", "\n"},
                                       {Fault{test::nth_call(Call::Write, 1), 0, 10}});
  EXPECT_EQ(run.output, "Runtime er|writes=1 pending=101");

  // A failed request stores nothing: the same.
  run = write_statements({"first\n", "second\n"}, {Fault{test::nth_call(Call::Write, 1), EPIPE}});
  EXPECT_EQ(run.output, "|writes=1 pending=101");

  // A full buffer that goes out short: the rest of the statement is dropped.
  std::string text = std::string(256, 'a') + std::string(44, 'b');
  run = write_statements({text}, {Fault{test::nth_call(Call::Write, 1), 0, 200}});
  EXPECT_EQ(run.output, std::string(200, 'a') + "|writes=1 pending=101");
}

TEST(MessageStream, NothingIsWrittenWhileACodeIsPending) {
  test::Outcome run = write_statements({"Runtime error 2 at 0x00001234\n"}, {}, 4);
  EXPECT_EQ(run.output, "|writes=0 pending=4");
}

}  // namespace
}  // namespace tolv
