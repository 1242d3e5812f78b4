// Running code that ends the process: the program in a forked child with its
// standard output captured, or the built binary itself.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "support/fake_os.h"

namespace tolv {
struct Program;
}

namespace tolv::test {

struct Outcome {
  int status = -1;     // exit status, or -1 when a signal ended the process
  int signal = 0;      // the signal that ended it, if any
  std::string output;  // every byte written to descriptor 1
  std::string errors;  // every byte written to descriptor 2, where captured
};

// An argument vector for execv or run_program, valid while this lives.
struct Argv {
  explicit Argv(std::vector<std::string> args);
  Argv(const Argv&) = delete;
  Argv& operator=(const Argv&) = delete;
  int argc() const { return static_cast<int>(strings.size()); }
  char** argv() { return pointers.data(); }

  std::vector<std::string> strings;
  std::vector<char*> pointers;  // one per string, then a null pointer
};

// Runs `body` in a child whose descriptor 1 is a pipe and descriptor 0 reads
// `input`; with `capture_errors` descriptor 2 is captured too. The body is
// expected to end the process itself.
Outcome run_in_child(const std::function<void()>& body, const std::string& input = "",
                     bool capture_errors = false);

// Runs the program's entry point in a child with these arguments (the
// program name is added in front) and the faults installed in the child.
Outcome run_program_in_child(const std::vector<std::string>& args, std::vector<Fault> faults = {},
                             const std::string& input = "");

// Runs a companion's table (tolvbase_program(), tolvboard_program()) in a
// child with these arguments and the faults installed; standard error is
// captured too.
Outcome run_companion_in_child(const Program& program, const std::vector<std::string>& args,
                               std::vector<Fault> faults = {});

// Replaces the process with the executable argv[0]; ends it with status 252
// when that fails.
[[noreturn]] void exec_argv(const std::vector<std::string>& argv);

// Runs an executable with these arguments (argv[0] included) the same way,
// in `cwd` when that is given.
Outcome run_binary(const std::vector<std::string>& argv, const std::string& input = "",
                   const std::string& cwd = "", bool capture_errors = false);

// A fresh directory under /tmp, removed with its contents at scope end.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

}  // namespace tolv::test
