// Verifying a file base. Problems are what a reader of the base cannot make
// sense of, or what shows that records point at each other's text; notes
// are what the base holds beside its records: leftovers of a conversion that
// was cut short (which the next conversion overwrites or leaves alone), or
// of records that were lost, and text tolvconv would never have written.
//
// Findings are handed to a sink as they are found, so a damaged base of
// millions of records is checked without holding its findings: memory grows
// by 12 bytes a record (the span of its description, for the overlap and
// gap checks), never by the number of findings. After the first few notes
// of one kind the rest are only counted, and one note sums them up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filebase/record.h"
#include "tolvbase/base.h"
#include "tolvbase/description.h"

namespace tolv {

enum class FindingKind {
  // problems, each of one record
  FileNameTooLong,  // length byte past 70
  OriginTooLong,    // length byte past 30
  NegativeDescPtr,
  DescPtrOutside,      // past the end of the description file
  DescriptionPastEnd,  // a description line runs past the end of the file
  NoDescLines,         // DescLines of 0
  SharedDescription,   // its description bytes overlap another record's
  // notes
  LongDescLine,       // a description line of more than 50 characters (of one record)
  TrailingFragment,   // the record file ends in less than a record
  UnreferencedBytes,  // description bytes no record points at
  // doubts, notes of one record (record_doubts.h); --strict counts them as problems
  RuleName,        // empty, or only rule characters
  ImpossibleDate,  // month outside 1-12 or day outside 1-31
  RepeatedName,    // the FileName of an earlier record
  OtherCaseName,   // an earlier record's FileName in other letter cases
};

bool is_problem(FindingKind kind);
bool is_doubt(FindingKind kind);

struct Finding {
  FindingKind kind;
  int64_t record = -1;  // -1 for a note of the base as a whole
  std::string text;     // what is wrong, without the record number
};

using FindingSink = std::function<void(const Finding&)>;

// The findings of one record whose description was read as `description`.
void check_record(const FileRecord& record, int64_t number, const Description& description,
                  int64_t description_size, std::vector<Finding>& findings);

struct CheckResult {
  int64_t records = 0;
  int64_t description_bytes = 0;
  int64_t problems = 0;
  int64_t notes = 0;         // every note, those only summed up included
  int64_t doubts = 0;        // notes that are doubts
  bool read_failed = false;  // the failing file's `error` says why
  std::string error;
};

// Checks every record, then the base as a whole; each finding goes to
// `sink` (per-record findings in record order, then the overlaps, then the
// notes of the base).
CheckResult check_base(ReadOnlyBase& base, const FindingSink& sink);

}  // namespace tolv
