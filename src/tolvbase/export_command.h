// `tolvbase export BASE [--format pcboard|json|csv] [--encoding E]`: the
// command line of the export. The records go to standard output; each
// record not written as stored is named on standard error as
// "tolvbase: record N: reason", and a count of them ends the report.
// Exit status: 0 every record written as stored, 1 some were not, 2 usage
// error or a base that cannot be read, or output that cannot be written.
#pragma once

namespace tolv {

// Runs the export with the arguments after the word "export".
int run_export(int argc, char** argv);

}  // namespace tolv
