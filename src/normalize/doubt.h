// The kinds of finding the preview reports about a listing's lines: the
// lines tolvconv reads otherwise than a person would.
#pragma once

namespace tolv {

enum class Doubt {
  Separator,         // an entry line that reads as a rule or header row
  SizeUnreadable,    // columns 13-21 hold no number, or a negative one
  DateImpossible,    // a month or day out of range, or non-digits in the date
  NameCut,           // a name longer than 70 characters
  NameRunsOn,        // a name past column 12, or holding a control byte
  TextCut,           // description text past its 50th character
  LinesDropped,      // more than 99 description lines
  NearMiss,          // a skipped line that looks like a file entry
  LostContinuation,  // a skipped line that reads as more description
  Include,           // a '%' line that names a file to show
  CtrlZ,             // a Ctrl-Z with more text after it
  Repeat,            // a name seen before, exactly or in other letter cases
  Layout,            // the listing looks like another layout
  NoEntry,           // tolvconv would convert nothing
};
inline constexpr int kDoubtKinds = 14;

// The stable name of a kind, as printed and in JSON: "separator", ...
const char* doubt_name(Doubt kind);

}  // namespace tolv
