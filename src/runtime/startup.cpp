#include "runtime/startup.h"

#include "runtime/fault.h"
#include "runtime/io_error.h"

namespace tolv {

void start_runtime() {
  init_fpu();
  install_fault_handler();
  pending_error = 0;
}

}  // namespace tolv
