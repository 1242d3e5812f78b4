// The console's tests run it on the fake terminal of support/fake_os.h: they
// start it in either mode, answer its position query as they like and see
// every write it makes.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "console/console.h"
#include "runtime/io_error.h"
#include "support/fake_os.h"

namespace tolv::console_test {

using test::FakeTerminal;

inline FakeTerminal fake;

// Every byte written on descriptor 1 since the last call.
inline std::string take_output() {
  return test::take_output(fake);
}

// Each test starts from a fresh fake and leaves the real table, no pending
// code and a stopped console behind.
class ConsoleTest : public testing::Test {
 protected:
  void SetUp() override {
    fake = FakeTerminal{};
    test::install_terminal(fake);
    pending_error = 0;
  }
  void TearDown() override {
    console_stop();
    test::restore_real_system();
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
