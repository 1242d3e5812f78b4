// What a run that writes holds open in OUTDIR from before its first area
// to after its last: the lock that keeps other runs out, the log of the
// converters' output and the journal of what the run does to each base.
#pragma once

#include <cstddef>
#include <string>

#include "companion/command_line.h"
#include "companion/output_file.h"
#include "tolvboard/area_result.h"
#include "tolvboard/journal.h"
#include "tolvboard/outdir_lock.h"

namespace tolv {

struct RunFiles {
  Journal journal;
  OutdirLock lock;
  OutputFile log;
};

// Finds the converter, makes OUTDIR and takes its lock, opens the log
// (naming `list`, the DIR.LST or area file) and starts the run in the
// journal, with room kept for its `areas` and their undo, then holds the
// interrupting signals until the run takes them; false, with `error`, when
// one of them fails.
bool start_run(RunFiles& files, const std::string& list, BoardSettings& board,
               const Arguments& arguments, size_t areas, std::string& error);

// Syncs the journal's last records and lets OUTDIR go.
void end_run(RunFiles& files, BoardSettings& board);

// Appends `text`, the program's own with what came from the board escaped,
// to the run's log.
void log_text(const BoardSettings& board, const std::string& text);

}  // namespace tolv
