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
// after RFC 4180: rows end in CR LF, a field holding a comma, a quote, CR or
// LF is quoted (quotes doubled), the description lines are joined by LF in
// one quoted field, and the time is empty when it is 00:00:00.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "companion/text_encoding.h"
#include "filebase/record.h"

namespace tolv {

void append_json_record(std::string& out, int64_t number, const FileRecord& record,
                        const std::vector<std::string>& lines, const Decoder& decoder);

void append_csv_header(std::string& out);
void append_csv_record(std::string& out, int64_t number, const FileRecord& record,
                       const std::vector<std::string>& lines, const Decoder& decoder);

}  // namespace tolv
