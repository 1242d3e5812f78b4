#include "tolvbase/record_doubts.h"

#include "companion/date_text.h"
#include "companion/text.h"

namespace tolv {

void doubt_record(RecordDoubts& doubts, const FileRecord& record, int64_t number,
                  std::vector<Finding>& findings) {
  std::string_view name = record.FileName.view();
  if (is_impossible_date(record.DateTime))
    findings.push_back({FindingKind::ImpossibleDate, number,
                        "the date " + date_time_text(record.DateTime) +
                            " has a month outside 1 to 12 or a day outside 1 to 31"});
  if (is_rule_name(name)) {
    findings.push_back({FindingKind::RuleName, number,
                        name.empty() ? std::string("the name is empty")
                                     : "the name '" + escape_controls(name) +
                                           "' is only rule characters (a rule or header row)"});
    return;
  }
  RepeatOf repeat = note_name(doubts.names, name, number);
  if (repeat.kind == Repeat::Same)
    findings.push_back({FindingKind::RepeatedName, number,
                        "the name " + escape_controls(name) + " is also the name of record " +
                            std::to_string(repeat.first->where)});
  else if (repeat.kind == Repeat::OtherCase)
    findings.push_back({FindingKind::OtherCaseName, number,
                        "the name " + escape_controls(name) + " differs from record " +
                            std::to_string(repeat.first->where) + "'s " +
                            escape_controls(repeat.first->name) + " only in letter case"});
}

}  // namespace tolv
