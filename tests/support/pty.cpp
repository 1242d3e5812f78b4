#include "support/pty.h"

#include <errno.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace tolv::test {

namespace {

constexpr std::string_view kPositionQuery = "\x1b[6n";
constexpr auto kHangGuard = std::chrono::seconds(60);
constexpr int kPollMs = 20;

[[noreturn]] void exec_child(const PtyOptions& options, int slave) {
  // New session with the slave as controlling terminal and as 0, 1 and 2.
  if (login_tty(slave) != 0) _exit(253);
  if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(251);
  std::vector<char*> argv;
  for (const std::string& s : options.argv) argv.push_back(const_cast<char*>(s.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(252);
}

void write_all(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// Reads what the master has; false at the end (EIO once the slave is closed
// everywhere) or on an error.
bool read_some(int master, std::string& output) {
  char buf[4096];
  ssize_t n = read(master, buf, sizeof buf);
  if (n < 0 && errno == EINTR) return true;
  if (n <= 0) return false;
  output.append(buf, static_cast<size_t>(n));
  return true;
}

// Answers each position query that has appeared in the output since the
// last call.
void answer_queries(int master, const PtyOptions& options, const std::string& output,
                    size_t& scanned) {
  for (;;) {
    size_t at = output.find(kPositionQuery, scanned);
    if (at == std::string::npos) {
      // A query cut in two by the reads is found once the rest arrives.
      size_t keep = kPositionQuery.size() - 1;
      scanned = output.size() > keep ? std::max(scanned, output.size() - keep) : scanned;
      return;
    }
    scanned = at + kPositionQuery.size();
    if (!options.reply.empty()) write_all(master, options.reply);
  }
}

}  // namespace

PtyRun run_in_pty(const PtyOptions& options) {
  PtyRun run;
  int master = -1, slave = -1;
  winsize size{options.rows, options.columns, 0, 0};
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0)
    throw std::runtime_error(std::string("openpty: ") + strerror(errno));
  tcgetattr(slave, &run.modes_before);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    close(master);
    exec_child(options, slave);
  }

  // The parent keeps its slave descriptor until the child has ended, to
  // read the modes the child left behind.
  auto deadline = std::chrono::steady_clock::now() + kHangGuard;
  size_t scanned = 0;
  bool typed = options.keys.empty();
  int status = 0;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, kPollMs) > 0 && (p.revents & POLLIN)) {
      size_t before = run.output.size();
      read_some(master, run.output);
      answer_queries(master, options, run.output, scanned);
      if (!typed && run.output.find(options.type_after) != std::string::npos) {
        write_all(master, options.keys);
        typed = true;
      }
      if (options.on_output && run.output.size() > before) options.on_output(pid, run.output);
    }
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      run.timed_out = true;
      break;
    }
  }
  tcgetattr(slave, &run.modes_after);
  close(slave);
  // With no slave descriptor left the master reads what is still buffered,
  // then fails with EIO.
  while (read_some(master, run.output)) {
  }
  close(master);

  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  return run;
}

bool same_modes(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && a.c_line == b.c_line &&
         memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && cfgetispeed(&a) == cfgetispeed(&b) &&
         cfgetospeed(&a) == cfgetospeed(&b);
}

}  // namespace tolv::test
