// The summary of a board's migration on standard output: a table with one
// row per area and a line of totals, or JSON Lines (one object per area,
// then one with the totals). Each row is written as soon as its area is
// done, so a sysop watching a terminal sees the run advance; why an area was
// not converted goes on a line of its own under its row, wrapped but never
// cut. Every line of the table fits the width it is given, down to the
// narrowest its counts and outcome leave room for.
#pragma once

#include <vector>

#include "companion/output.h"
#include "companion/table.h"
#include "companion/text_encoding.h"
#include "tolvboard/area_run.h"

namespace tolv {

// The widths the table can be given: the narrowest still holds the area,
// a description, the counts and the outcome on one line.
inline constexpr int kNarrowestTable = 60;
inline constexpr int kWidestTable = 1000;

struct Summary {
  Output* out = nullptr;
  bool json = false;
  bool dry_run = false;
  bool utf8 = false;  // the text goes out as UTF-8 (always for JSON)
  Decoder cp437;      // the board's CP437 text: decoded, or raw bytes
  Table table;
  int columns = 0;           // the width every line fits, 0: any
  bool paths_below = false;  // the listing and base on a line under the row

  // The listings converted as they stand, not normalized.
  bool as_is = false;
};

// Sizes the table from every planned area and writes its heading. `columns`
// is the width the lines must fit (the description and paths are shortened
// to fit it, and where they would keep less than eight characters the
// listing and base go on a line under each row), 0 when any width will do.
void start_summary(Summary& summary, const std::vector<AreaResult>& areas, int columns);

// Writes the area's row (or object) and flushes it.
void print_area(Summary& summary, const AreaResult& area);

// Writes the totals.
void print_totals(Summary& summary, const std::vector<AreaResult>& areas);

// The totals as text, one line, or a line a part when it is wider than
// `columns` (0: any width).
std::string totals_text(const std::vector<AreaResult>& areas, bool dry_run, bool as_is,
                        int columns);

}  // namespace tolv
