#include "tolvboard/summary.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "companion/disk_check.h"
#include "companion/json_lines.h"
#include "companion/text.h"
#include "filebase/base_path.h"
#include "tolvboard/area_notes.h"

namespace tolv {

namespace {

constexpr size_t kMessageIndent = 6;  // under the description: past the area and a gap
constexpr size_t kWrapIndent = 2;     // a line under a row that goes on, further in
constexpr std::string_view kInto = " -> ";

// The columns: area, description, listing, base, the three counts, outcome;
// without the listing and base when they go under the row. What the
// normalizer and the check of the files found goes on a line of its own
// under the row, so the table fits 80 columns with or without them. The
// area's number is never cut: whatever else is, it tells the rows apart.
Table summary_table(bool utf8, bool paths_below) {
  Table table{{{"area", Align::Right}, {"description", Align::Left, Cut::AtEnd}}, utf8};
  if (!paths_below)
    table.columns.insert(table.columns.end(), {{"listing", Align::Left, Cut::AtStart},
                                               {"base", Align::Left, Cut::Distinct}});
  table.columns.insert(table.columns.end(), {{"appended", Align::Right},
                                             {"skipped", Align::Right},
                                             {"findings", Align::Right},
                                             {"outcome"}});
  return table;
}

std::string number_text(int64_t n) {
  return n < 0 ? "-" : std::to_string(n);
}

// The board's text (a DIR.LST's CP437, or an area file's own bytes) and
// paths of this system, as the summary shows them.
std::string board_text(const Summary& summary, std::string_view text, bool cp437) {
  if (summary.json) return cp437 ? decoded(summary.cp437, text) : std::string(text);
  return cp437 ? shown(summary.cp437, text) : terminal_text(text, summary.utf8);
}
std::string description_text(const Summary& summary, const AreaResult& area) {
  return board_text(summary, area.area->description, area.area->cp437);
}
std::string listing_text(const Summary& summary, const AreaResult& area) {
  bool spelled = !area.planned && area.area->cp437;  // still the DIR.LST's CP437 bytes
  return board_text(summary, area.listing, spelled);
}

// The base as its files are named: without the extension tolvconv drops.
std::string base_text(const AreaResult& area) {
  return area.base.empty() ? "" : derive_base_paths(area.base).stem;
}

// What reading the listing found: the normalizer's counts, or with --as-is
// the layout it reads as and whether it is clean.
void json_reading(std::string& line, const AreaResult& area) {
  const NormalizedArea& normal = area.normalized;
  const AsIsArea& as_is = area.as_is;
  if (normal.done) {
    json_text(line, "layout", normal.layout);
    json_number(line, "not_carried", normal.not_carried);
    json_number(line, "dropped", normal.dropped);
    json_bool(line, "exact", normal.exact);
    json_count(line, "described", normal.described);
    json_count(line, "orphans_written", normal.orphans_written);
  } else if (as_is.done) {
    json_text(line, "layout", as_is.layout.empty() ? "pcboard" : as_is.layout);
    json_null(line, "not_carried");
    json_null(line, "dropped");
    json_bool(line, "exact", as_is.exact);
    json_null(line, "described");
    json_null(line, "orphans_written");
  } else {
    for (const char* name :
         {"layout", "not_carried", "dropped", "exact", "described", "orphans_written"})
      json_null(line, name);
  }
}

// The row of an area; the counts and outcome are empty before it ran.
std::vector<std::string> row_of(const Summary& summary, const AreaResult& area, bool done) {
  std::vector<std::string> row{std::to_string(area.area->number), description_text(summary, area)};
  if (!summary.paths_below)
    row.insert(row.end(),
               {listing_text(summary, area), terminal_text(base_text(area), summary.utf8)});
  if (!done) return row;
  for (int64_t n : {area.appended, area.skipped, area.findings}) row.push_back(number_text(n));
  row.push_back(outcome_name(area.outcome));
  return row;
}

// The width left for a line under a row; 0: any.
size_t room_under_row(const Summary& summary) {
  return summary.columns > static_cast<int>(2 * kMessageIndent)
             ? static_cast<size_t>(summary.columns) - kMessageIndent
             : 0;
}

// A line of the table's own under a row, never cut: when it is wider than
// the room it goes on, at its blanks, on lines further in.
std::string message_line(const Summary& summary, const std::string& text) {
  std::string shown = terminal_text(text, summary.utf8);
  size_t room = room_under_row(summary);
  std::vector<std::string> lines{shown};
  if (room > 0 && text_width(shown, summary.utf8) > room)
    lines = wrap_text(shown, room - kWrapIndent, summary.utf8);
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i)
    out.append(kMessageIndent + (i > 0 ? kWrapIndent : 0), ' ').append(lines[i]).append("\n");
  return out;
}

// For a table too narrow for them, the listing and the base on a line
// under the row, "LISTING -> BASE", each cut as its column would be: the
// base keeps at least half the room, as its name tells the areas apart.
std::string paths_line(const Summary& summary, const AreaResult& area) {
  std::string listing = listing_text(summary, area);
  std::string base = terminal_text(base_text(area), summary.utf8);
  size_t room = room_under_row(summary);
  size_t arrow = base.empty() ? 0 : kInto.size();
  size_t listing_width = text_width(listing, summary.utf8);
  size_t base_width = text_width(base, summary.utf8);
  if (room > arrow && listing_width + arrow + base_width > room) {
    room -= arrow;
    base_width = std::min(base_width, std::max(room / 2, room - std::min(room, listing_width)));
    listing_width = room - base_width;
  }
  std::string line(kMessageIndent, ' ');
  line += cut_text(listing, listing_width, Cut::AtStart, summary.utf8);
  if (!base.empty())
    line.append(kInto).append(cut_text(base, base_width, Cut::Distinct, summary.utf8));
  return line + "\n";
}

struct Totals {
  int64_t by_outcome[4] = {};
  int64_t appended = 0, skipped = 0, findings = 0;
  int64_t not_carried = 0, dropped = 0, inexact = 0;  // inexact also with --as-is
  int64_t files_checked = 0;                          // areas whose files were checked
  DiskCheck files;
  int64_t listed_missing = 0;
};

Totals count_totals(const std::vector<AreaResult>& areas) {
  Totals totals;
  for (const AreaResult& area : areas) {
    ++totals.by_outcome[static_cast<int>(area.outcome)];
    totals.appended += area.appended;
    totals.skipped += std::max<int64_t>(0, area.skipped);
    totals.findings += std::max<int64_t>(0, area.findings);
    totals.not_carried += area.normalized.not_carried;
    totals.dropped += area.normalized.dropped;
    totals.inexact +=
        (area.normalized.done && !area.normalized.exact) || (area.as_is.done && !area.as_is.exact)
            ? 1
            : 0;
    if (area.files.checked) {
      ++totals.files_checked;
      totals.files.missing += area.files.missing;
      totals.files.size_differs += area.files.sizes_differ;
      totals.files.orphans += area.files.orphans;
      totals.listed_missing += area.files.listed_missing;
    }
  }
  return totals;
}

void write_line(Summary& summary, const std::string& line) {
  put(*summary.out, line);
  flush(*summary.out);
}

}  // namespace

void start_summary(Summary& summary, const std::vector<AreaResult>& areas, int columns) {
  if (summary.json) return;
  summary.columns = columns;
  // One row an area, unless the listing and base would keep too little of
  // themselves: then they go under it.
  for (bool below : {false, true}) {
    summary.paths_below = below;
    summary.table = summary_table(summary.utf8, below);
    std::vector<std::vector<std::string>> rows;
    for (const AreaResult& area : areas) rows.push_back(row_of(summary, area, false));
    std::vector<std::string> longest(summary.table.columns.size());
    longest.back() = "converted";  // the longest outcome
    rows.push_back(longest);
    if (size_table(summary.table, rows, columns)) break;
  }
  write_line(summary, table_heading(summary.table));
}

void print_area(Summary& summary, const AreaResult& area) {
  if (!summary.json) {
    std::string line = table_row(summary.table, row_of(summary, area, true));
    if (summary.paths_below) line += paths_line(summary, area);
    std::vector<std::string> lines = detail_lines(area);
    lines.push_back(reason_text(area));
    for (const std::string& text : lines)
      if (!text.empty()) line += message_line(summary, text);
    write_line(summary, line);
    return;
  }
  std::string line;
  json_begin(line);
  json_number(line, "area", area.area->number);
  json_text(line, "description", description_text(summary, area));
  json_text(line, "listing", listing_text(summary, area));
  json_text(line, "base", base_text(area));
  json_text(line, "status", outcome_name(area.outcome));
  json_count(line, "appended", area.appended);
  json_count(line, "skipped", area.skipped);
  json_count(line, "findings", area.findings);
  json_count(line, "exit", area.exit);
  if (area.message.empty())
    json_null(line, "message");
  else
    json_text(line, "message", area.message);
  // DskPath: where the board kept the area's files. Not needed to convert,
  // but what a sysop moves next.
  if (area.area->disk_path.empty())
    json_null(line, "files");
  else
    json_text(line, "files", board_text(summary, area.area->disk_path, area.area->cp437));
  json_reading(line, area);
  for (auto [name, n] : {std::pair{"missing_files", area.files.missing},
                         std::pair{"sizes_differ", area.files.sizes_differ},
                         std::pair{"orphans", area.files.orphans}}) {
    if (area.files.checked)
      json_number(line, name, n);
    else
      json_null(line, name);
  }
  if (area.normalized.done)
    json_number(line, "dates_differ", area.normalized.dates_differ);
  else
    json_null(line, "dates_differ");
  json_number(line, "others", area.others);
  json_end(line);
  write_line(summary, line);
}

std::string totals_text(const std::vector<AreaResult>& areas, bool dry_run, bool as_is,
                        int columns) {
  Totals totals = count_totals(areas);
  const char* would = dry_run ? " would be" : "";
  std::string outcomes = counted(static_cast<int64_t>(areas.size()), "area") + ": ";
  outcomes += std::to_string(totals.by_outcome[0]) + would + " converted, ";
  outcomes += std::to_string(totals.by_outcome[1]) + " " +
              plural(totals.by_outcome[1], "exists", "exist") + ", ";
  outcomes += std::to_string(totals.by_outcome[2]) + " missing, " +
              std::to_string(totals.by_outcome[3]) + " failed;";
  std::string records = counted(totals.appended, "record") + would + " appended, " +
                        std::to_string(totals.skipped) + " skipped, " +
                        counted(totals.findings, "finding");
  std::vector<std::string> parts{outcomes, records};
  if (!as_is) {
    parts.back() += ";";
    parts.push_back(counted(totals.not_carried, "entry", "entries") + " not carried, " +
                    counted(totals.dropped, "line") + " dropped");
    if (totals.inexact > 0)
      parts.back() += ", " + counted(totals.inexact, "area") + " not carried exactly (see reports)";
  } else if (totals.inexact > 0) {
    parts.back() += ";";
    parts.push_back(counted(totals.inexact, "area") + " not clean PCBoard, converted as " +
                    plural(totals.inexact, "it stands", "they stand"));
  }
  if (totals.files_checked > 0) {
    parts.back() += ";";
    int64_t sizes = totals.files.size_differs;
    parts.push_back("files of " + counted(totals.files_checked, "area") + ": " +
                    counted(totals.listed_missing, "listed file") + " missing, " +
                    std::to_string(sizes) + " " + plural(sizes, "size differs", "sizes differ") +
                    ", " + counted(totals.files.orphans, "orphan"));
  }
  if (dry_run) parts.push_back("(dry run: nothing written)");
  // One line, or on a narrow terminal as many parts on each line as fit, a
  // part wider than a line broken at its blanks, and the next part on a
  // line of its own.
  std::string text;
  size_t width = 0;  // of the last line
  size_t room = columns > 0 ? static_cast<size_t>(columns) : 0;
  for (const std::string& part : parts) {
    std::vector<std::string> pieces = wrap_text(part, room, false);
    bool fits = room == 0 || width + 1 + pieces[0].size() <= room;
    if (width > 0) text += fits ? " " : "\n";
    width = (width > 0 && fits ? width + 1 : 0) + pieces[0].size();
    text += pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) text += "\n" + pieces[i];
    if (pieces.size() > 1) width = room;  // the next part on a line of its own
  }
  return text;
}

void print_totals(Summary& summary, const std::vector<AreaResult>& areas) {
  std::string line;
  if (summary.json) {
    Totals totals = count_totals(areas);
    json_begin(line);
    json_number(line, "areas", static_cast<int64_t>(areas.size()));
    for (Outcome outcome : {Outcome::Converted, Outcome::Exists, Outcome::Missing, Outcome::Failed})
      json_number(line, outcome_name(outcome), totals.by_outcome[static_cast<int>(outcome)]);
    json_number(line, "appended", totals.appended);
    json_number(line, "skipped", totals.skipped);
    json_number(line, "findings", totals.findings);
    for (auto [name, n] :
         {std::pair{"not_carried", totals.not_carried}, std::pair{"dropped", totals.dropped},
          std::pair{"inexact", totals.inexact}}) {
      if (!summary.as_is || name == std::string("inexact"))
        json_number(line, name, n);
      else
        json_null(line, name);
    }
    for (auto [name, n] : {std::pair{"missing_files", totals.files.missing},
                           std::pair{"sizes_differ", totals.files.size_differs},
                           std::pair{"orphans", totals.files.orphans}}) {
      if (totals.files_checked > 0)
        json_number(line, name, n);
      else
        json_null(line, name);
    }
    json_bool(line, "dry_run", summary.dry_run);
    json_end(line);
  } else {
    line = totals_text(areas, summary.dry_run, summary.as_is, summary.columns) + "\n";
  }
  write_line(summary, line);
}

}  // namespace tolv
