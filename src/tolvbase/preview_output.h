// The preview as text or as JSON Lines.
//
// Text: one block per finding, "LINE: KIND: message" and the line itself
// indented, control bytes escaped as `tolvbase list` shows them; with
// --entries also "LINE: entry: ..." per entry; a summary line at the end.
//
// JSON Lines, one object a line:
//   {"kind": "entry", "line", "name", "size", "date", "lines"[, "duplicate"]}
//   {"kind": KIND, "line", "message", "text"}
//   {"kind": "summary", "entries"[, "appended_with_dupe"], "findings"}
// "duplicate" and "appended_with_dupe" appear when a base was given.
#pragma once

#include "companion/output.h"
#include "companion/text_encoding.h"
#include "normalize/preview.h"

namespace tolv {

struct PreviewPrinter {
  Output* out = nullptr;
  const Decoder* decoder = nullptr;
  bool json = false;
  bool entries = false;  // text: one line per entry too (JSON always has them)
  bool with_base = false;
};

void print_entry(const PreviewPrinter& printer, const PreviewEntry& entry);
void print_finding(const PreviewPrinter& printer, const PreviewFinding& finding);
void print_summary(const PreviewPrinter& printer, const PreviewCounts& counts);

}  // namespace tolv
