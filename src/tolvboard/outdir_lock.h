// One tolvboard run at a time in an OUTDIR. A run holds an exclusive lock
// (flock) on OUTDIR/tolvboard.lock for its whole length, and writes into it
// which run it is, so that a second run can say who holds the directory. The
// lock goes with the process: a run that is killed leaves the file, not the
// lock.
#pragma once

#include <string>

namespace tolv {

inline constexpr const char* kLockName = "tolvboard.lock";

struct OutdirLock {
  int fd = -1;
};

// Takes the lock of `out_dir` for the run `holder` describes ("PID, started
// TIME: COMMAND"). When another run holds it: with `wait`, says so on
// standard error and waits for it; without, fails with `error` naming that
// run. Also fails when the lock file is a symbolic link or not a regular
// file, or cannot be made, opened or locked.
bool take_outdir_lock(OutdirLock& lock, const std::string& out_dir, const std::string& holder,
                      bool wait, std::string& error);

// Empties the lock file and lets the lock go.
void release_outdir_lock(OutdirLock& lock);

// Opens a file of tolvboard's own in OUTDIR (the lock, the log) with
// `flags` and O_NOFOLLOW | O_CLOEXEC; -1, with `error` saying why, when it
// cannot be opened, is a symbolic link or is not a regular file.
int open_own_file(const std::string& path, int flags, std::string& error);

}  // namespace tolv
