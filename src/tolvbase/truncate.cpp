#include "tolvbase/truncate.h"

#include <algorithm>
#include <string>

#include "companion/base_cut.h"
#include "companion/messages.h"
#include "companion/output.h"
#include "companion/text.h"
#include "filebase/record.h"
#include "tolvbase/base_walk.h"
#include "tolvbase/options.h"

namespace tolv {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitRefused = 1;
constexpr size_t kMaxDigits = 18;  // any such number fits in 64 bits

bool parse_count(std::string_view text, int64_t& count) {
  if (text.empty() || text.size() > kMaxDigits) return false;
  count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + (c - '0');
  }
  return true;
}

// Where a record's text ends in a description file of `size` bytes; -1
// when it lies nowhere in it.
int64_t text_end(const Description& description, int64_t size) {
  switch (description.state) {
    case DescriptionState::Whole:
      return description.end;
    case DescriptionState::PastEnd:
      return size;
    default:
      return -1;
  }
}

struct Plan {
  int64_t kept_end = 0;      // where the kept records' text ends
  int64_t text_end = 0;      // where the text of every record ends
  int64_t back_record = -1;  // the first removed record whose text lies before kept_end
  int32_t back_at = 0;
};

std::string span(int64_t first, int64_t last) {
  return first == last ? "record " + std::to_string(first)
                       : "records " + std::to_string(first) + "-" + std::to_string(last);
}

// With `dry_run` every check is made, the lock taken, and the lines say
// what would be removed; nothing is cut.
int truncate_base(CutBase& cut, int64_t keep, bool dry_run, Output& out) {
  ReadOnlyBase& files = cut.files;
  int64_t count = record_count(files);
  if (keep > count)
    return complain("'" + cut.paths.record_file + "' holds " + counted(count, "record") +
                    ": there are not " + std::to_string(keep) + " to keep; nothing changed");
  int64_t size = files.descriptions.size;
  Plan plan;
  BaseWalk walk = walk_base(files);
  StoredRecord stored;
  while (next_stored_record(walk, stored)) {
    int64_t end = text_end(stored.description, size);
    plan.text_end = std::max(plan.text_end, end);
    int32_t at = stored.record.DescPtr;
    if (stored.number < keep)
      plan.kept_end = std::max(plan.kept_end, end);
    else if (plan.back_record < 0 && at >= 0 && at < plan.kept_end)
      plan.back_record = stored.number, plan.back_at = at;
  }
  if (!walk.error.empty()) return complain(walk.error + "; nothing changed");
  if (plan.back_record >= 0) {
    note("record " + std::to_string(plan.back_record) +
         ", which would be removed, has its text at byte " + std::to_string(plan.back_at) +
         ", before byte " + std::to_string(plan.kept_end) +
         " where the text of the records kept ends: the records are not in the order a "
         "conversion appends them; nothing changed");
    return kExitRefused;
  }
  int64_t fragment = fragment_size(files);
  int64_t removed_text = std::max(plan.text_end, plan.kept_end) - plan.kept_end;
  int64_t after_text = size - plan.kept_end - removed_text;
  std::string kept = counted(keep, "record") + ", " + counted(plan.kept_end, "description byte");
  if (keep == count && fragment == 0 && after_text == 0) {
    put(out, "nothing to remove: " + kept + "\n");
    return kExitDone;
  }
  if (!still_as_opened(cut)) return complain(cut.error + "; nothing changed");
  if (!dry_run && !cut_file(cut, BaseFile::Records, keep * kRecordSize))
    return complain(cut.error + "; nothing changed");
  if (!dry_run && !cut_file(cut, BaseFile::Descriptions, plan.kept_end))
    return complain(cut.error + "; the record file is cut to " + counted(keep, "record") +
                    ", and the description bytes after their text, which no record points "
                    "at, are left: truncate again to remove them");
  std::string removed = dry_run ? "would remove " : "removed ";
  if (count > keep)
    put(out, removed + span(keep, count - 1) + " (" + counted(count - keep, "record") + ", " +
                 counted(removed_text, "description byte") + ")\n");
  if (fragment > 0)
    put(out, removed + "the fragment of " + counted(fragment, "byte") +
                 " at the end of the record file\n");
  if (after_text > 0)
    put(out, removed + counted(after_text, "description byte") +
                 " after the last record's text, which no record pointed at\n");
  put(out, (dry_run ? "would keep " : "kept ") + kept + "\n");
  if (dry_run || sync_cut_base(cut)) return kExitDone;
  flush(out);
  return complain(cut.error + ": the base is cut, but may not all be on the disk yet");
}

}  // namespace

int run_truncate(const Arguments& arguments) {
  int64_t keep = 0;
  if (!parse_count(arguments.operands[1], keep))
    return usage_error("RECORDS must be a number of records, not '" +
                       escape_controls(arguments.operands[1]) + "'");
  CutBase cut;
  if (open_base_to_cut(cut, arguments.operands[0]) != CutOpen::Opened)
    return complain(cut.error + "; nothing changed");
  Output out;
  int status = truncate_base(cut, keep, has_option(arguments, BaseOption::DryRun), out);
  close_cut_base(cut);
  return finish(out, status);
}

}  // namespace tolv
