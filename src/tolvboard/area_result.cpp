#include "tolvboard/area_result.h"

namespace tolv {

const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::Converted:
      return "converted";
    case Outcome::Exists:
      return "exists";
    case Outcome::Missing:
      return "missing";
    case Outcome::Failed:
      break;
  }
  return "failed";
}

bool area_is_exact(const AreaResult& result) {
  if (result.outcome != Outcome::Converted || result.others != 0) return false;
  return result.as_is.done ? result.as_is.exact : result.normalized.exact;
}

}  // namespace tolv
