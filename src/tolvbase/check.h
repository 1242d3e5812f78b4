// Verifying a file base. Problems are what a reader of the base cannot make
// sense of, or what shows that records point at each other's text; notes
// are what the base holds beside its records: leftovers of a conversion that
// was cut short (which the next conversion overwrites or leaves alone), or
// of records that were lost, and text tolvconv would never have written.
//
// A base whose last records repeat earlier ones record for record (a
// listing converted twice) is a problem too, though each record is sound:
// it names the repeat and the truncate that removes it.
//
// Findings are handed to a sink as they are found, so a damaged base of
// millions of records is checked without holding its findings: memory grows
// by 20 bytes a record (the span of its description, for the overlap and
// gap checks, and a hash for the repeat), never by the number of findings.
// After the first few notes of one kind the rest are only counted, and one
// note sums them up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "companion/base.h"
#include "filebase/record.h"
#include "tolvbase/description.h"
#include "tolvbase/finding.h"

namespace tolv {

// The findings of one record whose description was read as `description`.
void check_record(const FileRecord& record, int64_t number, const Description& description,
                  int64_t description_size, std::vector<Finding>& findings);

struct CheckResult {
  int64_t records = 0;
  int64_t description_bytes = 0;
  int64_t problems = 0;
  int64_t notes = 0;         // every note, those only summed up included
  int64_t doubts = 0;        // notes that are doubts
  int64_t repeats = 0;       // problems that are a repeated run: of what was converted, not
                             // of how it was written
  bool read_failed = false;  // the failing file's `error` says why
  std::string error;
};

// Checks every record, then the base as a whole; each finding goes to
// `sink` (per-record findings in record order, then the overlaps, then a
// repeated run, then the notes of the base).
CheckResult check_base(ReadOnlyBase& base, const FindingSink& sink);

}  // namespace tolv
