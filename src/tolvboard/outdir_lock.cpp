#include "tolvboard/outdir_lock.h"

#include "companion/file_lock.h"
#include "companion/messages.h"
#include "companion/text.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kHolderMost = 4096;  // more is not a holder this program wrote

// Which run the lock file says holds it, its control bytes escaped.
std::string holder_of(int fd) {
  std::string text(kHolderMost, '\0');
  ssize_t n = retry_interrupted([&] { return sys_pread(fd, text.data(), text.size(), 0); });
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
  return text.empty() ? "another tolvboard run" : "tolvboard run " + escape_controls(text);
}

}  // namespace

bool take_outdir_lock(OutdirLock& lock, const std::string& out_dir, const std::string& holder,
                      bool wait, KeptFiles& kept, std::string& error) {
  OutputFile& file = lock.file;
  if (!open_output(file, out_dir + "/" + kLockName, OutputMode::Update, kept)) {
    error = file.error;
    return false;
  }
  LockTaken taken = lock_file(file.fd, file.path, LockKind::Exclusive, false, error);
  if (taken == LockTaken::Busy) {
    std::string busy = quoted(out_dir) + " is in use by " + holder_of(file.fd);
    if (!wait) {
      error = busy;
      close_output(file, kept);
      return false;
    }
    note(busy + "; waiting for it");
    taken = lock_file(file.fd, file.path, LockKind::Exclusive, true, error);
  }
  if (taken != LockTaken::Locked) {
    close_output(file, kept);
    return false;
  }
  // Best effort: a full disk may have no room for the line, and an undo
  // must still be able to take the lock there.
  std::string text = holder + "\n";
  if (cut_output(file, 0))
    retry_interrupted([&] { return sys_pwrite(file.fd, text.data(), text.size(), 0); });
  return true;
}

void release_outdir_lock(OutdirLock& lock, KeptFiles& kept) {
  if (lock.file.fd < 0) return;
  cut_output(lock.file, 0);
  close_output(lock.file, kept);
}

}  // namespace tolv
