// Verifying a file base. Problems are what a reader of the base cannot make
// sense of; notes are leftovers of an interrupted conversion that the next
// conversion overwrites or skips, so they are harmless.
#pragma once

#include <cstdint>
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
  // notes, of the base as a whole
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
  int64_t record = -1;  // -1 for a note
  std::string text;     // what is wrong, without the record number
};

// The problems of one record whose description was read as `description`.
void check_record(const FileRecord& record, int64_t number, const Description& description,
                  int64_t description_size, std::vector<Finding>& findings);

struct CheckResult {
  int64_t records = 0;
  int64_t description_bytes = 0;
  std::vector<Finding> findings;
  int problems = 0;
  int notes = 0;  // doubts included
  int doubts = 0;
  bool read_failed = false;  // the failing file's `error` says why
  std::string error;
};

CheckResult check_base(Base& base);

}  // namespace tolv
