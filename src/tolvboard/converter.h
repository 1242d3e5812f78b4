// Running tolvconv, the one converter, as a child: its console output goes
// to the board's log, its exit status and run-time error message come back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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
  // The records it says it appended ("Processing: ... 6 files ... DONE."):
  // at least `counted_least`, at most `counted`, as a run that ended in a
  // run-time error may have stopped within its last entry; -1 when its
  // output is not whole enough to say.
  int64_t counted = -1;
  int64_t counted_least = -1;
};

// The start of tolvconv's run-time error line, "Runtime error N at 0x...",
// and of the message for a status whose line is not in its output.
inline constexpr std::string_view kRuntimeErrorLine = "Runtime error ";
inline constexpr std::string_view kConverterStatus = "tolvconv ended with status ";

// The path a converter is given for the listing it reads on standard
// input: it opens the very file tolvboard opened, whatever the listing's
// path names by then.
inline constexpr char kListingOnInput[] = "/dev/stdin";

// Runs `converter` with `args` (argv[0] is added), standard input `input`,
// standard output and error appended to `log_fd` (which must be open for
// reading too), and waits for it; an interruption (interruption.h) ends
// it. Then every control byte of what it wrote, but the line end, is
// rewritten as \xHH.
ConverterRun run_converter(const std::string& converter, const std::vector<std::string>& args,
                           int input, int log_fd);

// The records tolvconv's console output says it appended (see ConverterRun).
void read_converted_count(std::string_view output, ConverterRun& run);

}  // namespace tolv
