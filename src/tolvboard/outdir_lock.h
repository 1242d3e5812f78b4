// One tolvboard run at a time in an OUTDIR. A run (or an undo) holds an
// exclusive lock (flock) on OUTDIR/tolvboard.lock for its whole length,
// and writes into it which run it is, so that a second run can say who
// holds the directory. The lock goes with the process: a run that is
// killed leaves the file, not the lock. The holder's line is a courtesy:
// on a full disk it may not fit, and the lock is held all the same.
#pragma once

#include <string>

#include "companion/output_file.h"

namespace tolv {

inline constexpr const char* kLockName = "tolvboard.lock";

struct OutdirLock {
  OutputFile file;
};

// Takes the lock of `out_dir` for the run `holder` describes ("PID, started
// TIME: COMMAND"). When another run holds it: with `wait`, says so on
// standard error and waits for it; without, fails with `error` naming that
// run. Also fails when the lock file is a symbolic link or not a regular
// file, or cannot be made, opened or locked (on a file system that cannot
// lock, too).
bool take_outdir_lock(OutdirLock& lock, const std::string& out_dir, const std::string& holder,
                      bool wait, KeptFiles& kept, std::string& error);

// Empties the lock file and lets the lock go.
void release_outdir_lock(OutdirLock& lock, KeptFiles& kept);

}  // namespace tolv
