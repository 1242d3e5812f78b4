#include "tolvboard/run_files.h"

#include <sys/stat.h>

#include <string_view>
#include <vector>

#include "companion/text.h"
#include "runtime/syscall.h"
#include "tolvboard/converter.h"
#include "tolvboard/interruption.h"
#include "tolvboard/run_stamp.h"

namespace tolv {

namespace {

constexpr const char* kLogName = "tolvboard.log";

// The command line as the journal keeps it: the program, each option as
// written in full, then the operands.
std::string journal_command(const Arguments& arguments) {
  std::vector<std::string> words{"tolvboard"};
  for (const auto& [option, value] : arguments.options) {
    words.push_back("--" + std::string(option->name));
    if (takes_value(*option)) words.emplace_back(value);
  }
  bool dashed = false;
  for (std::string_view operand : arguments.operands) dashed = dashed || operand.starts_with('-');
  if (dashed) words.emplace_back("--");
  for (std::string_view operand : arguments.operands) words.emplace_back(operand);
  return command_text(std::vector<std::string_view>(words.begin(), words.end()));
}

// Makes OUTDIR when it is missing (its parent must exist), takes its lock
// and opens the log for appending; false, with `error` saying why, when one
// of them fails.
bool open_out_dir(BoardSettings& board, OutdirLock& lock, OutputFile& log, const RunStamp& run,
                  struct stat& dir_status, std::string& error) {
  const std::string& dir = board.out_dir;
  if (!make_directory(dir, error)) return false;
  if (sys_stat(dir.c_str(), &dir_status) < 0) {
    error = cannot("examine", dir, system_error);
    return false;
  }
  if (!take_outdir_lock(lock, dir, holder_text(run), board.wait, board.kept, error)) return false;
  // Read as well: the run-time error message of a conversion is read back.
  if (open_output(log, dir + "/" + kLogName, OutputMode::Append, board.kept)) {
    board.log_fd = log.fd;
    return true;
  }
  error = log.error;
  return false;
}

// Opens the journal and starts the run in it, with room kept for its areas
// and their undo; the bases the journal says each listing made go to
// `board.makers`.
bool start_journal(Journal& journal, BoardSettings& board, const Arguments& arguments,
                   const struct stat& dir, size_t areas, std::string& error) {
  JournalContents contents;
  if (!open_journal(journal, board.out_dir, board.kept, contents, error)) return false;
  for (const JournalArea& area : contents.areas)
    if (!area.undone && !contents.runs[area.intent.run - 1].undone)
      board.makers[area.intent.base] = {area.intent.listing, area.intent.spelled};
  RunRecord run;
  run.run = static_cast<uint32_t>(contents.runs.size() + 1);
  run.time = sys_time();
  run.pid = static_cast<uint32_t>(sys_getpid());
  run.out_dir_device = static_cast<uint64_t>(dir.st_dev);
  run.out_dir_inode = static_cast<uint64_t>(dir.st_ino);
  run.command = journal_command(arguments);
  journal.run = run.run;
  if (journal_append(journal, encode(run)) && reserve_room(journal.file, journal_room(areas)))
    return true;
  error = journal.failed.empty() ? journal.file.error : journal.failed;
  return false;
}

}  // namespace

void log_text(const BoardSettings& board, const std::string& text) {
  Output log;
  log.fd = board.log_fd;
  put(log, text);
  flush(log);
}

bool start_run(RunFiles& files, const std::string& list, BoardSettings& board,
               const Arguments& arguments, size_t areas, std::string& error) {
  RunStamp run = stamp_this_run(arguments.words);
  struct stat dir {};
  if ((board.converter.empty() && !find_converter(board.converter, error)) ||
      !open_out_dir(board, files.lock, files.log, run, dir, error) ||
      !start_journal(files.journal, board, arguments, dir, areas, error))
    return false;
  board.journal = &files.journal;
  hold_interruptions();
  log_text(board, "== " + run.started + ": " + run.command + " ==\n== tolvboard: " +
                      escape_controls(list) + " into " + escape_controls(board.out_dir) + ", by " +
                      escape_controls(board.converter) + " ==\n");
  return true;
}

void end_run(RunFiles& files, BoardSettings& board) {
  if (!close_journal(files.journal, board.kept) && board.stopped.empty())
    board.stopped = "its journal cannot be written: " + files.journal.failed;
  close_output(files.log, board.kept);
  release_outdir_lock(files.lock, board.kept);
}

}  // namespace tolv
