// What `tolvbase check` finds in a base: problems, notes, and doubts (notes
// that --strict counts as problems).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

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
  RepeatedRun,         // the last records repeat earlier ones (a listing converted twice)
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

}  // namespace tolv
