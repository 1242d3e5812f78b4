// The run-time error message stream: a plain stream on descriptor 1 beside
// the console, with a 256-byte buffer that is written out in one request
// whenever it fills and at the end of every write statement. A request that
// stores fewer bytes than the buffer held sets the pending code to 101 and the
// rest is dropped; while a code is pending, a statement adds nothing.
#pragma once

#include <string_view>

namespace tolv {

// One write statement on the message stream.
void message_write(std::string_view text);

}  // namespace tolv
