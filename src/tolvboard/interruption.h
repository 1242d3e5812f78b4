// What ends a board run from outside: SIGINT (Ctrl-C), SIGTERM and SIGHUP.
// They are blocked for the whole run and taken only where the run is ready
// for them: before an area starts, and while it waits for its converter or
// for a lock. The converter is then ended, its area's outcome journaled, and
// the run stops there, so no area is ever left half journaled. No handler
// runs: the signals wait until they are asked for (sigtimedwait).
//
// SIGPIPE is ignored: a standard output that goes away (a pager quit, `|
// head`) makes the table's writes fail, and the run goes on to its end.
#pragma once

#include <sys/types.h>

namespace tolv {

// Blocks SIGINT, SIGTERM, SIGHUP and SIGCHLD and ignores SIGPIPE for the
// rest of the process; converters start without any of it.
void hold_interruptions();

// The interrupting signal taken so far (the first one), 0 while none came.
int interruption();

// Waits for the converter `pid` to end, its wait status into `status`. An
// interruption that comes meanwhile ends it with SIGTERM first. False,
// with system_error set, when it cannot be waited for.
bool wait_for_converter(pid_t pid, int& status);

// Sleeps `ms` milliseconds, less when an interruption comes; false then.
bool pause_unless_interrupted(int ms);

// "SIGINT", "SIGTERM", "SIGHUP".
const char* signal_name(int signal);

}  // namespace tolv
