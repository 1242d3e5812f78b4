#include "support/call_levels.h"

#include "runtime/call_level.h"

namespace tolv::test {

[[gnu::noipa]] void nest(int levels, void (*innermost)()) {
  TOLV_CALL_LEVEL();
  if (levels > 1) {
    nest(levels - 1, innermost);
  } else {
    innermost();
  }
}

}  // namespace tolv::test
