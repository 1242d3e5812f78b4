// One record as a JSON Lines object or a CSV row, its texts decoded:
//
//   {"record": 0, "name": "SQZ204.ZIP", "size": 202574, "date": "1993-02-01",
//    "origin": "TOLVCONV", "flags": 0, "description": ["Squeezer 2.04", ...]}
//
// with "time": "HH:MM:SS" after the date when it is not 00:00:00, and
//
//   record,name,size,date,time,origin,flags,description
//   0,SQZ204.ZIP,202574,1993-02-01,,TOLVCONV,0,"Squeezer 2.04<LF>..."
//
// the time empty when it is 00:00:00 (companion/rows.h has the CSV rules).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "companion/rows.h"
#include "companion/text_encoding.h"
#include "filebase/record.h"

namespace tolv {

struct RecordRows {
  RowWriter writer;
  const Decoder* decoder = nullptr;
  std::vector<std::string> lines;  // the description decoded, kept for its capacity
};

RecordRows record_rows(RowFormat format, const Decoder& decoder, bool as_stored);

void append_record_row(RecordRows& rows, std::string& out, int64_t number, const FileRecord& record,
                       const std::vector<std::string>& lines);

}  // namespace tolv
