// `tolvbase truncate BASE RECORDS`: keeps the first RECORDS records of a
// base and removes the rest, the one command of tolvbase that writes.
//
// The record file is cut to 120 * RECORDS bytes and the description file
// where the kept records' text ends: the furthest byte any of them reads
// (the file's end for one whose lines run past it). A trailing record
// fragment and description bytes after the last text of any record go too.
// When a record to be removed has its text before that end, the records
// are not in the order a conversion appends them, and cutting would leave
// text nobody points at between the kept ones: the command refuses, with
// status 1, and changes nothing. The cut itself is companion/base_cut.h's:
// under the base's lock, record file first.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_truncate(const Arguments& arguments);

}  // namespace tolv
