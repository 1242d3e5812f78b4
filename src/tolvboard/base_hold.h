// A base as an area's conversion finds it and leaves it. Its state is taken
// under its lock (on the description file, as tolvconv takes it), so that
// a conversion someone runs by hand into the same base is never in the
// middle of its appends then; tolvconv takes the lock in turn once
// tolvboard lets it go. After the conversion the base's files are put on
// the disk before the journal says how the area ended.
#pragma once

#include <string>

#include "companion/file_lock.h"
#include "filebase/base_path.h"

namespace tolv {

struct HeldBase {
  int fd = -1;  // the description file, locked; -1 while the base has none
};

// Takes the base's lock when it has a description file. Busy: another
// program holds it, and `wait` was false. With `wait`, waits for it; an
// interruption (interruption.h) ends the wait: Failed, with `error`.
LockTaken hold_base(HeldBase& held, const BasePaths& paths, bool wait, std::string& error);

void release_base(HeldBase& held);

// Puts the base's files on the disk and, when `made` (the conversion made
// a file of it), the names in its directory; false, with `error`.
bool sync_base(const BasePaths& paths, bool made, std::string& error);

}  // namespace tolv
