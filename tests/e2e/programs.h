// The built tolvconv, tolvbase and tolvboard, each run in a child by the
// end-to-end tests. The paths come from the build: <build>/bin, where the
// three lie side by side as they are installed.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "support/child.h"

namespace tolv::test {

inline std::vector<std::string> program_argv(const char* binary,
                                             const std::vector<std::string>& args) {
  std::vector<std::string> argv{binary};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

// tolvconv with these arguments, reading `input`, in `cwd` when given.
inline Outcome run_tolvconv(const std::vector<std::string>& args, const std::string& input = "",
                            const std::string& cwd = "") {
  return run_binary(program_argv(TOLVCONV_BINARY, args), input, cwd);
}

// tolvbase with these arguments, reading `input`, with LC_ALL set to
// `locale`: standard output, standard error and status.
inline Outcome run_tolvbase(const std::vector<std::string>& args, const std::string& input = "",
                            const char* locale = "C") {
  std::vector<std::string> argv = program_argv(TOLVBASE_BINARY, args);
  return run_in_child(
      [&] {
        setenv("LC_ALL", locale, 1);
        exec_argv(argv);
      },
      input, true);
}

}  // namespace tolv::test
