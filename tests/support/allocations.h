// Counts the allocations the test binary makes through the global operator
// new, so a test can show that a piece of code allocates nothing.
#pragma once

#include <cstddef>

namespace tolv::test {

// Number of allocations through any form of the global operator new since
// the program started.
size_t allocations_made();

}  // namespace tolv::test
