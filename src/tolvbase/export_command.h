// `tolvbase export`: the records go to standard output; each record not
// written as stored is named on standard error as "tolvbase: record N:
// reason", and a count of them ends the report. Exit status: 0 every record
// written as stored, 1 some were not, 2 usage error or a base that cannot
// be read, or output that cannot be written.
#pragma once

#include "companion/command_line.h"

namespace tolv {

int run_export(const Arguments& arguments);

}  // namespace tolv
