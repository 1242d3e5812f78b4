// Start-up of the run-time services, before the run sequence's first
// statement: the floating-point unit, the fault handler, a clear pending
// error code. The console starts after this, last of all.
#pragma once

namespace tolv {

void start_runtime();

}  // namespace tolv
