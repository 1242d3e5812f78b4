// The state of the normalizer's second pass, shared by the reading of the
// lines (normalize.cpp) and the writing of an entry once it is whole
// (entry_writing.cpp). Not for use outside src/normalize.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "normalize/layouts.h"
#include "normalize/line_fields.h"
#include "normalize/normal_findings.h"

namespace tolv {

// The entry being read.
struct PendingEntry {
  bool open = false;
  int64_t line = 0;
  NameField name;
  SizeField size;
  DateField date;
  // Its description as read: the entry line's text, then each further
  // line's, as the layout writes them.
  std::vector<std::string> lines;
  size_t bytes = 0;
  bool text_cut = false;   // past the text a record can hold, or a line cut at the source
  bool reported = false;   // reported as not carried already: its lines are only counted
  bool suspended = false;  // furniture came after it: only a marked line continues it
};

struct Normalizer {
  const NormalizeOptions* options = nullptr;
  const NormalSink* sink = nullptr;
  LayoutModel model;
  std::string layout_name;
  NormalCounts counts;
  bool seen_entry = false;
  PendingEntry entry;
  // Findings of the lines after a suspended entry, held until the entry is
  // written so that the report stays in line order.
  std::vector<NormalFinding> held;
  std::string out;         // the lines of one entry
  std::vector<char> seen;  // the directory's files named so far
};

// A finding to the sink (held while an entry waits), counted by kind.
void report(Normalizer& n, int64_t line, NormalKind kind, std::string_view name,
            std::string message);

// Writes the pending entry, or reports why it is not carried; then the
// findings held behind it. Nothing when no entry is pending.
void finish_entry(Normalizer& n);

}  // namespace tolv
