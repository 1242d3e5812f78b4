// Running tolvconv, the one converter, as a child: its console output goes
// to the board's log, its exit status and run-time error message come back.
#pragma once

#include <string>
#include <vector>

namespace tolv {

// The tolvconv beside this program's own executable, else the first
// executable `tolvconv` in the directories of PATH; false, with `error`
// saying where it looked, when there is none.
bool find_converter(std::string& path, std::string& error);

// Whether `path` is a regular file this process may execute.
bool is_executable_file(const std::string& path);

struct ConverterRun {
  bool started = false;
  int status = -1;      // its exit status; -1 when it did not exit
  int signal = 0;       // the signal that ended it
  std::string message;  // its "Runtime error ..." line, or why it did not run
};

// Runs `converter` with `args` (argv[0] is added), standard input from
// /dev/null, standard output and error appended to `log_fd` (which must be
// open for reading too), and waits for it. Then every control byte of what
// it wrote, but the line end, is rewritten as \xHH.
ConverterRun run_converter(const std::string& converter, const std::vector<std::string>& args,
                           int log_fd);

}  // namespace tolv
