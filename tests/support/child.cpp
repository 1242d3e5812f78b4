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

namespace tolv::test {

namespace {

// Feeds `input` to the child's descriptor 0 through a temporary file, so a
// child that never reads it cannot block the parent.
int input_descriptor(const std::string& input) {
  char name[] = "/tmp/tolv-input-XXXXXX";
  int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp");
  unlink(name);
  if (!input.empty() && write(fd, input.data(), input.size()) != ssize_t(input.size()))
    throw std::runtime_error("write input");
  lseek(fd, 0, SEEK_SET);
  return fd;
}

Outcome collect(pid_t pid, int out) {
  Outcome outcome;
  char buf[4096];
  ssize_t n;
  while ((n = read(out, buf, sizeof buf)) > 0) outcome.output.append(buf, n);
  close(out);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  return outcome;
}

}  // namespace

Outcome run_in_child(const std::function<void()>& body, const std::string& input) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw std::runtime_error("pipe");
  int in = input_descriptor(input);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in, 0);
    dup2(pipe_fds[1], 1);
    close(in);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    body();
    _exit(250);  // the body should not come back
  }
  close(in);
  close(pipe_fds[1]);
  return collect(pid, pipe_fds[0]);
}

Outcome run_program_in_child(const std::vector<std::string>& args, const std::string& input) {
  return run_in_child(
      [&] {
        std::vector<std::string> storage{"tolvconv"};
        storage.insert(storage.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& s : storage) argv.push_back(s.data());
        argv.push_back(nullptr);
        run_program(static_cast<int>(storage.size()), argv.data());
      },
      input);
}

void exec_argv(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(252);
}

Outcome run_binary(const std::vector<std::string>& args, const std::string& input,
                   const std::string& cwd) {
  return run_in_child(
      [&] {
        if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(251);
        exec_argv(args);
      },
      input);
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
