// The duplicate check of the -DUPE switch: does the record file already hold
// a counting record (Flags bit 2 clear) whose FileName equals the entry's
// name as it would be stored, cut to 70 characters, byte for byte?
//
// The answer is the one a scan of every whole record of the file would give,
// but a run costs one pass over the records it starts with, not one per
// entry: the names live in the file base's NameIndex, filled by large
// sequential reads and kept current by the writer's appends.
//
// Every check still closes the record file and opens it again by its path,
// for reading and writing and without creating it, so a record file that
// has gone or become inaccessible ends the run with its code. A file
// replaced under the same path is noticed by its identity (or its size) and
// read afresh while the run has appended nothing; once it has, a file other
// than the one it appended to ends the run with 101.
#pragma once

#include <string_view>

#include "filebase/file_base.h"

namespace tolv {

// A call level of its own: a failure inside traces back through the caller.
// Failures end the run: the reopen's code (or 6 at the size query when the
// reopen failed without one), the size query's code, 100 for a read that
// delivers fewer bytes than asked or fails. The caller asks only when the
// switch is on.
[[gnu::noinline]] bool is_duplicate(FileBase& base, std::string_view name);

}  // namespace tolv
