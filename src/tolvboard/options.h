// The options of tolvboard's table (command.cpp), by which the run and the
// undo read them.
#pragma once

namespace tolv {

enum class BoardOption {
  Map,
  Dupe,
  Append,
  Wait,
  DryRun,
  Normalize,
  AsIs,
  Describe,
  Orphans,
  Json,
  Width,
  Areas,
  Converter,
  Undo,
};

}  // namespace tolv
