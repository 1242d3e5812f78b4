// Doubts about the records of a base that are sound by the format but that
// a sysop would not want: a name that is a rule or header row (or empty), an
// impossible date, the same name twice, names equal but for letter case.
// They are notes of `tolvbase check`; `check --strict` counts them as
// problems. Memory: the names seen, once each.
#pragma once

#include <cstdint>
#include <vector>

#include "companion/name_doubts.h"
#include "filebase/record.h"
#include "tolvbase/finding.h"

namespace tolv {

struct RecordDoubts {
  NameRepeats names;
};

// The doubts of record `number`, given in record order.
void doubt_record(RecordDoubts& doubts, const FileRecord& record, int64_t number,
                  std::vector<Finding>& findings);

}  // namespace tolv
