#include "support/child.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "app/run.h"
#include "companion/command_line.h"

namespace tolv::test {

namespace {

// An unlinked temporary file holding `bytes`, at its start.
int temporary_file(const std::string& bytes) {
  char name[] = "/tmp/tolv-child-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp");
  unlink(name);
  if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
    throw std::runtime_error("write input");
  lseek(fd, 0, SEEK_SET);
  return fd;
}

std::string read_all(int fd) {
  std::string bytes;
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) bytes.append(buf, n);
  close(fd);
  return bytes;
}

}  // namespace

Argv::Argv(std::vector<std::string> args) : strings(std::move(args)) {
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
}

Outcome run_in_child(const std::function<void()>& body, const std::string& input,
                     bool capture_errors) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw std::runtime_error("pipe");
  // The input comes from a file, so a child that never reads it cannot
  // block the parent; standard error goes to one, so the parent can read
  // the two streams one after the other.
  int in = temporary_file(input);
  int errors = capture_errors ? temporary_file("") : -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in, 0);
    dup2(pipe_fds[1], 1);
    if (errors >= 0) dup2(errors, 2), close(errors);
    close(in);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    body();
    _exit(250);  // the body should not come back
  }
  close(in);
  close(pipe_fds[1]);
  Outcome outcome;
  outcome.output = read_all(pipe_fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  if (errors >= 0) {
    lseek(errors, 0, SEEK_SET);
    outcome.errors = read_all(errors);
  }
  return outcome;
}

Outcome run_program_in_child(const std::vector<std::string>& args, std::vector<Fault> faults,
                             const std::string& input) {
  return run_in_child(
      [&] {
        std::vector<std::string> all{"tolvconv"};
        all.insert(all.end(), args.begin(), args.end());
        Argv argv(std::move(all));
        install_faults(std::move(faults));
        run_program(argv.argc(), argv.argv());
      },
      input);
}

Outcome run_companion_in_child(const Program& program, const std::vector<std::string>& args,
                               std::vector<Fault> faults) {
  return run_in_child(
      [&] {
        std::vector<std::string> all{std::string(program.name)};
        all.insert(all.end(), args.begin(), args.end());
        Argv argv(std::move(all));
        install_faults(std::move(faults));
        _exit(run_program(program, argv.argc(), argv.argv()));
      },
      "", true);
}

void exec_argv(const std::vector<std::string>& args) {
  Argv argv(args);
  execv(argv.argv()[0], argv.argv());
  _exit(252);
}

Outcome run_binary(const std::vector<std::string>& args, const std::string& input,
                   const std::string& cwd, bool capture_errors) {
  return run_in_child(
      [&] {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(251);
        exec_argv(args);
      },
      input, capture_errors);
}

TempDir::TempDir() {
  char name[] = "/tmp/tolv-test-XXXXXX";
  if (!mkdtemp(name)) throw std::runtime_error("mkdtemp");
  path = name;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

}  // namespace tolv::test
