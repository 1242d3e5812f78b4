#include "runtime/call_level.h"

#include <cstdint>

extern "C" char __executable_start;  // first byte of the program's image (linker-defined)

namespace tolv {

namespace {

// Deeper levels are counted but their return places are not kept.
constexpr int kMaxLevels = 512;

uint32_t level_returns[kMaxLevels];
int depth = 0;

}  // namespace

CallLevel::CallLevel(void* return_address) {
  if (depth < kMaxLevels) level_returns[depth] = code_position(return_address);
  ++depth;
}

CallLevel::~CallLevel() {
  --depth;
}

int call_depth() {
  return depth;
}

uint32_t level_return(int level) {
  return level >= 1 && level <= kMaxLevels ? level_returns[level - 1] : 0;
}

uint32_t code_position(const void* address) {
  auto at = reinterpret_cast<uintptr_t>(address);
  auto base = reinterpret_cast<uintptr_t>(&__executable_start);
  return static_cast<uint32_t>(at - base);
}

}  // namespace tolv
