#include "console/send.h"

#include <algorithm>
#include <cstring>

#include "runtime/syscall.h"

namespace tolv {

void send(ConsoleState& console, std::string_view bytes) {
  while (!bytes.empty()) {
    size_t take = std::min(bytes.size(), kSendBufferSize - console.send_fill);
    memcpy(console.send_buffer + console.send_fill, bytes.data(), take);
    console.send_fill += take;
    bytes.remove_prefix(take);
    if (console.send_fill == kSendBufferSize) send_out(console);
  }
  if (console.send_at_once) send_out(console);
}

void send_out(ConsoleState& console) {
  if (console.send_fill == 0) return;
  // The result is not looked at: the console's output is best effort, and a
  // terminal or pipe that takes fewer bytes simply loses the rest.
  sys_write(1, console.send_buffer, console.send_fill);
  console.send_fill = 0;
}

}  // namespace tolv
