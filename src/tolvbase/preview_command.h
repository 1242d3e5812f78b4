// `tolvbase preview LISTING [BASE] [--entries] [--json] [--encoding E]`:
// the command line of the preview, its base loading and its printing.
// LISTING "-" or "" is standard input. Exit status: 0 no finding,
// 1 findings, 2 usage error or a listing or base that cannot be read.
#pragma once

namespace tolv {

// Runs the preview with the arguments after the word "preview".
int run_preview(int argc, char** argv);

}  // namespace tolv
