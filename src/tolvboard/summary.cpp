#include "tolvboard/summary.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "companion/json_lines.h"
#include "companion/layouts.h"
#include "companion/text.h"

namespace tolv {

namespace {

constexpr size_t kLayoutColumn = 7;

// The columns: area, description, listing, base, the three counts, with
// --normalize the layout and its two counts, outcome.
Table summary_table(bool utf8, bool normalize) {
  Table table{{{"area", Align::Right},
               {"description", Align::Left, Cut::AtEnd},
               {"listing", Align::Left, Cut::AtStart},
               {"base", Align::Left, Cut::AtStart},
               {"appended", Align::Right},
               {"skipped", Align::Right},
               {"findings", Align::Right}},
              utf8};
  if (normalize)
    table.columns.insert(table.columns.end(),
                         {{"layout"}, {"not carried", Align::Right}, {"dropped", Align::Right}});
  table.columns.push_back({"outcome"});
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

std::string outcome_text(const AreaResult& area) {
  std::string text = outcome_name(area.outcome);
  if (area.outcome != Outcome::Converted && area.exit >= 0)
    text += " (exit " + std::to_string(area.exit) + ")";
  if (area.outcome != Outcome::Converted && !area.message.empty()) text += ": " + area.message;
  return text;
}

// The row of an area; the counts and outcome are empty before it ran.
std::vector<std::string> row_of(const Summary& summary, const AreaResult& area, bool done) {
  std::vector<std::string> row{std::to_string(area.area->number), description_text(summary, area),
                               listing_text(summary, area), terminal_text(area.base, summary.utf8)};
  if (!done) return row;
  for (int64_t n : {area.appended, area.skipped, area.findings}) row.push_back(number_text(n));
  if (summary.normalize) {
    const NormalizedArea& normal = area.normalized;
    row.push_back(normal.done ? normal.layout : "-");
    for (int64_t n : {normal.not_carried, normal.dropped})
      row.push_back(number_text(normal.done ? n : -1));
  }
  row.push_back(terminal_text(outcome_text(area), summary.utf8));
  return row;
}

void write_line(Summary& summary, const std::string& line) {
  put(*summary.out, line);
  flush(*summary.out);
}

}  // namespace

void start_summary(Summary& summary, const std::vector<AreaResult>& areas, int columns) {
  if (summary.json) return;
  summary.table = summary_table(summary.utf8, summary.normalize);
  std::vector<std::vector<std::string>> rows;
  for (const AreaResult& area : areas) rows.push_back(row_of(summary, area, false));
  // Each outcome starts with a word no longer than "converted"; the layout
  // is one of the names the normalizer knows.
  rows.push_back(std::vector<std::string>(summary.table.columns.size() - 1));
  if (summary.normalize)
    for (const LayoutInfo& layout : known_layouts())
      if (layout.name.size() > rows.back()[kLayoutColumn].size())
        rows.back()[kLayoutColumn] = layout.name;
  rows.back().push_back("converted");
  size_table(summary.table, rows, columns);
  write_line(summary, table_heading(summary.table));
}

void print_area(Summary& summary, const AreaResult& area) {
  if (!summary.json) {
    write_line(summary, table_row(summary.table, row_of(summary, area, true)));
    return;
  }
  std::string line;
  json_begin(line);
  json_number(line, "area", area.area->number);
  json_text(line, "description", description_text(summary, area));
  json_text(line, "listing", listing_text(summary, area));
  json_text(line, "base", area.base);
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
  const NormalizedArea& normal = area.normalized;
  if (normal.done) {
    json_text(line, "layout", normal.layout);
    json_number(line, "not_carried", normal.not_carried);
    json_number(line, "dropped", normal.dropped);
    json_bool(line, "exact", normal.exact);
  } else {
    for (const char* name : {"layout", "not_carried", "dropped", "exact"}) json_null(line, name);
  }
  json_end(line);
  write_line(summary, line);
}

void print_totals(Summary& summary, const std::vector<AreaResult>& areas) {
  int64_t by_outcome[3] = {}, appended = 0, skipped = 0, findings = 0;
  int64_t not_carried = 0, dropped = 0, inexact = 0;
  for (const AreaResult& area : areas) {
    ++by_outcome[static_cast<int>(area.outcome)];
    appended += area.appended;
    skipped += std::max<int64_t>(0, area.skipped);
    findings += std::max<int64_t>(0, area.findings);
    not_carried += area.normalized.not_carried;
    dropped += area.normalized.dropped;
    inexact += area.normalized.done && !area.normalized.exact ? 1 : 0;
  }
  std::string line;
  if (summary.json) {
    json_begin(line);
    json_number(line, "areas", static_cast<int64_t>(areas.size()));
    for (Outcome outcome : {Outcome::Converted, Outcome::Missing, Outcome::Failed})
      json_number(line, outcome_name(outcome), by_outcome[static_cast<int>(outcome)]);
    json_number(line, "appended", appended);
    json_number(line, "skipped", skipped);
    json_number(line, "findings", findings);
    for (auto [name, n] : {std::pair{"not_carried", not_carried}, std::pair{"dropped", dropped},
                           std::pair{"inexact", inexact}}) {
      if (summary.normalize)
        json_number(line, name, n);
      else
        json_null(line, name);
    }
    json_bool(line, "dry_run", summary.dry_run);
    json_end(line);
  } else {
    const char* would = summary.dry_run ? " would be" : "";
    line = counted(static_cast<int64_t>(areas.size()), "area") + ": ";
    line += std::to_string(by_outcome[0]) + would + " converted, ";
    line +=
        std::to_string(by_outcome[1]) + " missing, " + std::to_string(by_outcome[2]) + " failed; ";
    line += counted(appended, "record") + would + " appended, " + std::to_string(skipped) +
            " skipped, " + counted(findings, "finding");
    if (summary.normalize) {
      line += "; " + counted(not_carried, "entry", "entries") + " not carried, " +
              counted(dropped, "line") + " dropped";
      if (inexact > 0)
        line += ", " + counted(inexact, "area") + " not carried exactly (see reports)";
    }
    line += summary.dry_run ? " (dry run: nothing written)\n" : "\n";
  }
  write_line(summary, line);
}

}  // namespace tolv
