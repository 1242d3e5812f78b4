#include "tolvboard/converter.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "companion/output.h"
#include "companion/text.h"
#include "runtime/syscall.h"
#include "tolvboard/interruption.h"

namespace tolv {

namespace {

constexpr const char* kConverterName = "tolvconv";

std::string own_directory() {
  char buf[4096];
  ssize_t n = sys_readlink("/proc/self/exe", buf, sizeof buf);
  if (n <= 0 || static_cast<size_t>(n) == sizeof buf) return {};
  std::string_view self(buf, static_cast<size_t>(n));
  return std::string(self.substr(0, self.rfind('/') + 1));
}

// What the converter wrote to the log, from `from` to the log's end; what
// can be read of it when a read fails.
std::string output_since(int log_fd, off_t from) {
  struct stat st;
  if (sys_fstat(log_fd, &st) < 0 || st.st_size <= from) return {};
  std::string output(static_cast<size_t>(st.st_size - from), '\0');
  size_t got = 0;
  while (got < output.size()) {
    ssize_t n = retry_interrupted([&] {
      return sys_pread(log_fd, output.data() + got, output.size() - got,
                       from + static_cast<off_t>(got));
    });
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  output.resize(got);
  return output;
}

// The last "Runtime error ..." line of the output.
std::string runtime_error_line(std::string_view output) {
  size_t at = output.rfind(kRuntimeErrorLine);
  if (at == std::string_view::npos) return {};
  return std::string(output.substr(at, output.find_first_of("\r\n", at) - at));
}

// tolvconv writes for a console: a BEL before an error, a listing path's
// bytes as they are. In the log every control byte but the line end is
// written as \xHH, so that the log cannot move a terminal's cursor nor hold
// a line its reader would take for tolvboard's own. The output, from
// `from`, is replaced by its escaped text.
void escape_output(int log_fd, off_t from, std::string_view output) {
  std::string escaped;
  for (size_t at = 0, end; at < output.size(); at = end + 1) {
    end = std::min(output.find('\n', at), output.size());
    escaped += escape_controls(output.substr(at, end - at));
    if (end < output.size()) escaped += '\n';
  }
  if (escaped == output || sys_ftruncate(log_fd, from) < 0) return;
  Output log;
  log.fd = log_fd;  // appending: at `from`, the log's end now
  put(log, escaped);
  flush(log);
}

}  // namespace

bool is_executable_file(const std::string& path) {
  struct stat st;
  return sys_stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         sys_access(path.c_str(), X_OK) == 0;
}

bool find_converter(std::string& path, std::string& error) {
  std::string beside = own_directory();
  if (!beside.empty() && is_executable_file(beside + kConverterName)) {
    path = beside + kConverterName;
    return true;
  }
  const char* search = getenv("PATH");
  std::string_view dirs = search != nullptr ? search : "";
  while (true) {
    size_t cut = dirs.find(':');
    std::string dir(dirs.substr(0, cut));
    std::string candidate = (dir.empty() ? "." : dir) + "/" + kConverterName;
    if (is_executable_file(candidate)) {
      path = candidate;
      return true;
    }
    if (cut == std::string_view::npos) break;
    dirs.remove_prefix(cut + 1);
  }
  error = std::string("cannot find ") + kConverterName + " beside this program (" +
          (beside.empty() ? "its directory is unknown" : beside) + ") or in PATH";
  return false;
}

void read_converted_count(std::string_view output, ConverterRun& run) {
  constexpr std::string_view kProcessing = "Processing: ", kFiles = " files ... ", kDone = "DONE.";
  size_t start = output.rfind(kProcessing);
  if (start == std::string_view::npos) return;
  std::string_view counts = output.substr(start + kProcessing.size());
  // Only an output that is whole says the count: one that ends DONE, or
  // with its run-time error. A log on a full disk, or a converter ended by
  // a signal, may have lost the last counts.
  bool done = counts.substr(0, counts.find_first_of("\r\n")).ends_with(kDone);
  if (!done && counts.find(kRuntimeErrorLine) == std::string_view::npos) return;
  size_t last = counts.rfind(kFiles);
  int64_t n = 0;
  if (last != std::string_view::npos) {
    size_t digits = counts.find_last_not_of("0123456789", last - 1);
    digits = digits == std::string_view::npos ? 0 : digits + 1;
    if (digits == last) return;
    for (char c : counts.substr(digits, last - digits)) n = n * 10 + (c - '0');
  }
  // The count is shown before its entry is appended: a run that ended in
  // an error may have stopped within it.
  run.counted = n;
  run.counted_least = done || n == 0 ? n : n - 1;
}

ConverterRun run_converter(const std::string& converter, const std::vector<std::string>& args,
                           int input, int log_fd) {
  ConverterRun run;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(converter.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  struct stat st;
  off_t from = sys_fstat(log_fd, &st) == 0 ? st.st_size : 0;
  pid_t pid = -1;
  if (sys_spawn(&pid, converter.c_str(), argv.data(), input, log_fd) < 0) {
    run.message = "cannot run " + converter + ": " + errno_text(system_error);
    return run;
  }
  run.started = true;
  int status = 0;
  if (!wait_for_converter(pid, status)) {
    run.message = "cannot wait for " + converter + ": " + errno_text(system_error);
    return run;
  }
  std::string output = output_since(log_fd, from);
  if (WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
    if (run.status > 1) run.message = runtime_error_line(output);
  } else if (WIFSIGNALED(status)) {
    run.signal = WTERMSIG(status);
    run.message = std::string("ended by signal ") + std::to_string(run.signal) + " (" +
                  strsignal(run.signal) + ")";
  }
  read_converted_count(output, run);
  escape_output(log_fd, from, output);
  return run;
}

}  // namespace tolv
