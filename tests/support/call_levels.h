// Call levels opened on purpose, for tests of the run-time error's trace.
#pragma once

namespace tolv::test {

// Opens `levels` call levels, one per recursion, and runs `innermost` in the
// last; each level's return place is recorded, so the trace holds levels - 1
// returns into nest itself and one into its caller.
void nest(int levels, void (*innermost)());

}  // namespace tolv::test
