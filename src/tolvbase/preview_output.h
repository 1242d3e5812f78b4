// The preview as text or as JSON Lines.
//
// Text: one block per finding, "LINE: KIND: message" and the line itself
// indented, control bytes escaped as `tolvbase list` shows them; with
// --entries also "LINE: entry: ..." per entry; a summary line at the end.
//
// JSON Lines, one object a line:
//   {"kind": "entry", "line", "name", "size", "date", "lines"[, "duplicate"]}
//   {"kind": KIND, "line", "message", "text"}
//   {"kind": "summary", "entries"[, "appended_with_dupe", "new_base"], "findings"}
// "duplicate", "appended_with_dupe" and "new_base" appear when a base was
// given (and is not the listing itself: that is the finding
// "listing-is-base", at line 0).
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
  bool new_base = false;         // the base does not exist yet: a conversion makes it
  bool listing_is_base = false;  // set by print_base_finding, for the summary
};

void print_entry(const PreviewPrinter& printer, const PreviewEntry& entry);
void print_finding(const PreviewPrinter& printer, const PreviewFinding& finding);
// The finding that the listing is a file of the base given; `message`
// is this system's text, not the listing's.
void print_base_finding(PreviewPrinter& printer, const std::string& message);
void print_summary(const PreviewPrinter& printer, const PreviewCounts& counts);

}  // namespace tolv
