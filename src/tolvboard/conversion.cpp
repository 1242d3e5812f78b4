#include "tolvboard/conversion.h"

#include <algorithm>

#include "companion/base_cut.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "filebase/record.h"
#include "tolvboard/base_hold.h"
#include "tolvboard/converter.h"
#include "tolvboard/interruption.h"
#include "tolvboard/journal.h"

namespace tolv {

namespace {

constexpr int kConverterMissing = 1;  // tolvconv's status for a listing it cannot open

int64_t records_of(const FileState& state) {
  return state.exists && state.size > 0 ? state.size / kRecordSize : 0;
}

bool same_file(const FileState& a, const FileState& b) {
  return a.device == b.device && a.inode == b.inode;
}

// Whether a file that was there before is another now, or gone.
bool replaced(const FileState& before, const FileState& after) {
  return before.exists && (!after.exists || !same_file(before, after));
}

bool stop_run(AreaResult& result, BoardSettings& board, const std::string& why) {
  board.stopped = why;
  result.outcome = Outcome::Failed;
  result.message = why + "; the run stops here";
  return false;
}

// Takes the base's state under its lock and journals it; false, with the
// outcome set, when the area is not to be converted.
bool journal_intent(AreaResult& result, BoardSettings& board, BaseFiles& before) {
  BasePaths paths = derive_base_paths(result.base);
  HeldBase held;
  std::string error;
  LockTaken taken = hold_base(held, paths, board.wait, error);
  if (taken == LockTaken::Busy)
    error = quoted(paths.description_file) +
            " is locked by another program (a conversion writing the base); not converted "
            "(--wait waits for it)";
  if (taken != LockTaken::Locked) {
    result.outcome = Outcome::Failed;
    result.message = error;
    return false;
  }
  before = base_files(result.base);
  IntentRecord intent;
  intent.run = board.journal->run;
  intent.area = static_cast<uint32_t>(result.area->number);
  intent.base = result.base.substr(result.base.rfind('/') + 1);
  intent.listing = result.listing;
  intent.spelled = result.area->listing_path;
  intent.before = before;
  bool journaled = journal_append(*board.journal, encode(intent));
  release_base(held);
  return journaled ||
         stop_run(result, board, "its journal cannot be written: " + board.journal->failed);
}

// What the run itself appended, and what another program did, from the
// base's records before and after and what tolvconv says it appended.
void count_appended(AreaResult& result, const ConverterRun& run, const BaseFiles& before,
                    const BaseFiles& after, bool held_by_another) {
  int64_t grown = records_of(after.records) - records_of(before.records);
  bool foreign = held_by_another || replaced(before.records, after.records) ||
                 replaced(before.descriptions, after.descriptions);
  if (run.counted < 0) {
    result.appended = std::max<int64_t>(0, grown);
    result.others = foreign ? std::max<int64_t>(1, grown) : 0;
    return;
  }
  if (grown < run.counted_least || grown > run.counted) foreign = true;
  // With another writer, the run's are only those tolvconv surely wrote.
  result.appended = foreign ? run.counted_least : std::max<int64_t>(0, grown);
  result.others = foreign ? std::max<int64_t>(1, grown - run.counted_least) : 0;
}

void take_ending(AreaResult& result, const ConverterRun& run) {
  result.exit = run.status;
  result.message = run.message;
  if (result.interrupted != 0) {
    result.outcome = Outcome::Failed;
    result.message = std::string("interrupted by ") + signal_name(result.interrupted) +
                     "; tolvboard --undo takes the run back";
  } else if (run.status == 0) {
    result.outcome = Outcome::Converted;
  } else if (run.status == kConverterMissing) {
    result.outcome = Outcome::Missing;
    const std::string& given = result.normalized.done ? result.normalized.listing : result.listing;
    result.message = "tolvconv cannot open the listing " + quoted(given) + " it is given";
  } else {
    result.outcome = Outcome::Failed;
    if (result.message.empty() && run.started)
      result.message = std::string(kConverterStatus) + std::to_string(run.status);
  }
  if (result.others > 0 && result.outcome == Outcome::Converted)
    result.message = "another program wrote " + counted(result.others, "record") +
                     " into the base meanwhile; --undo leaves it alone";
}

}  // namespace

Conversion convert_journaled(AreaResult& result, BoardSettings& board, int input) {
  Conversion conversion;
  BaseFiles before;
  if (!journal_intent(result, board, before)) return conversion;
  std::vector<std::string> args{kListingOnInput, result.base};
  if (board.dupe) args.push_back("-DUPE");
  ConverterRun run = run_converter(board.converter, args, input, board.log_fd);
  conversion.ended = run.status >= 0;
  result.interrupted = interruption();

  // The state it left, under the lock again: a program that holds it now
  // writes the base, and what it wrote is not the run's.
  BasePaths paths = derive_base_paths(result.base);
  HeldBase held;
  std::string error;
  bool held_by_another = hold_base(held, paths, false, error) == LockTaken::Busy;
  BaseFiles after = base_files(result.base);
  count_appended(result, run, before, after, held_by_another);
  take_ending(result, run);
  bool made = (!before.records.exists && after.records.exists) ||
              (!before.descriptions.exists && after.descriptions.exists);
  OutcomeRecord outcome;
  outcome.run = board.journal->run;
  outcome.area = static_cast<uint32_t>(result.area->number);
  outcome.ending = result.interrupted != 0 ? Ending::Interrupted
                   : run.status == 0       ? Ending::Converted
                                           : Ending::Failed;
  outcome.status = run.status;
  outcome.counted = run.counted;
  outcome.other_writer = result.others > 0;
  outcome.after = after;
  // The base on the disk before the journal says so; without it, the
  // journal keeps only the intent, and --undo takes the area back from it.
  // The outcome reaches the disk with the next area's intent, before its
  // converter starts, or when the run ends.
  if (!sync_base(paths, made, error))
    stop_run(result, board, error);
  else if (!journal_append_later(*board.journal, encode(outcome)))
    stop_run(result, board, "its journal cannot be written: " + board.journal->failed);
  release_base(held);
  return conversion;
}

}  // namespace tolv
