#include "tolvbase/finding.h"

namespace tolv {

bool is_problem(FindingKind kind) {
  return kind != FindingKind::TrailingFragment && kind != FindingKind::UnreferencedBytes &&
         kind != FindingKind::LongDescLine && !is_doubt(kind);
}

bool is_doubt(FindingKind kind) {
  return kind == FindingKind::RuleName || kind == FindingKind::ImpossibleDate ||
         kind == FindingKind::RepeatedName || kind == FindingKind::OtherCaseName;
}

}  // namespace tolv
