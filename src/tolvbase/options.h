// The options of tolvbase's table (command.cpp), by which its commands read
// them: an option two commands share (--encoding, --json, --dir) is one
// name here.
#pragma once

namespace tolv {

enum class BaseOption {
  Encoding,
  Strict,
  Dir,
  Format,
  AsStored,
  Entries,
  Json,
  Layout,
  Width,
  KeepColours,
  Report,
  DryRun,
  Describe,
  Orphans,
};

}  // namespace tolv
