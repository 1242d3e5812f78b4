// Which tolvboard run this is, as the log and OUTDIR's lock name it: its
// process, its start in local time and its command line.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

struct RunStamp {
  pid_t pid = 0;
  std::string started;  // "2026-12-09 14:03:22 +0100"
  std::string command;  // the words, quoted where a shell needs it
};

// This process, now, run with `words` (the program's name first).
RunStamp stamp_this_run(const std::vector<std::string_view>& words);

// "PID, started TIME: COMMAND": the run as OUTDIR's lock names it.
std::string holder_text(const RunStamp& run);

// `when` in local time, as RunStamp::started.
std::string local_time_text(time_t when);

// `seconds` since the epoch as "2026-12-09 10:11:12 UTC", as --undo shows a
// journaled time; gmtime_r reads no time-zone file.
std::string utc_time_text(int64_t seconds);

// The words as one line a shell would read back as them: a word holding
// anything but letters, digits and "%+,-./:=@_" in single quotes. A control
// byte is written as \xHH (the line then no longer gives that byte back).
std::string command_text(const std::vector<std::string_view>& words);

}  // namespace tolv
