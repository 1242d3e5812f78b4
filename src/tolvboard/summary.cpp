#include "tolvboard/summary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "companion/json_text.h"
#include "companion/text.h"

namespace tolv {

namespace {

constexpr const char* kHeadings[] = {"area",     "description", "listing",  "base",
                                     "appended", "skipped",     "findings", "outcome"};
constexpr size_t kNumberColumns = 3;  // appended, skipped, findings
constexpr size_t kMinimumWidth = 8;
constexpr std::string_view kCut = "...";

// Whether a byte starts a character: in UTF-8 every byte that does not
// continue one; in raw bytes every byte.
bool starts_character(char c, bool utf8) {
  return !utf8 || (c & 0xC0) != 0x80;
}

size_t width_of(std::string_view text, bool utf8) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [&](char c) { return starts_character(c, utf8); }));
}

// The byte offset at which the last `keep` characters of `text` start.
size_t start_of_last(std::string_view text, size_t keep, bool utf8) {
  size_t at = text.size();
  while (at > 0 && keep > 0)
    if (starts_character(text[--at], utf8)) --keep;
  return at;
}

// `text` fitted into `width` characters: cut at its end (a description) or
// at its start (a path, whose last part says most), padded with spaces.
std::string cell(std::string_view text, size_t width, bool keep_end, bool utf8) {
  std::string out;
  size_t has = width_of(text, utf8);
  if (has <= width) {
    out = text;
  } else if (keep_end) {
    out = std::string(kCut) +
          std::string(text.substr(start_of_last(text, width - kCut.size(), utf8)));
  } else {
    size_t drop = has - (width - kCut.size());
    out = std::string(text.substr(0, start_of_last(text, drop, utf8))) + std::string(kCut);
  }
  out.append(width - std::min(width, width_of(out, utf8)), ' ');
  return out;
}

std::string right(const std::string& text, size_t width) {
  return std::string(width - std::min(width, text.size()), ' ') + text;
}

std::string number_text(int64_t n) {
  return n < 0 ? "-" : std::to_string(n);
}

// The area's description and listing as text to show.
std::string shown_description(const Summary& summary, const AreaResult& area) {
  const std::string& text = area.area->description;
  return summary.decode && area.area->cp437 ? decoded(summary.cp437, text) : text;
}
std::string shown_listing(const Summary& summary, const AreaResult& area) {
  bool spelled = !area.planned && area.area->cp437;  // still the DIR.LST's CP437 bytes
  return summary.decode && spelled ? decoded(summary.cp437, area.listing) : area.listing;
}

std::string outcome_text(const AreaResult& area) {
  std::string text = outcome_name(area.outcome);
  if (area.outcome != Outcome::Converted && area.exit >= 0)
    text += " (exit " + std::to_string(area.exit) + ")";
  if (area.outcome != Outcome::Converted && !area.message.empty()) text += ": " + area.message;
  return escape_controls(text);
}

// A count that may be unknown: negative ones are null.
void put_count(std::string& line, const char* name, int64_t n) {
  append_json_number_member(line, name, n, true);
}

}  // namespace

void start_summary(Summary& summary, const std::vector<AreaResult>& areas, int columns) {
  if (summary.json) return;
  size_t* width = summary.width;
  bool utf8 = summary.decode;
  for (size_t i = 0; i < 3; ++i) width[i] = width_of(kHeadings[i + 1], utf8);
  for (const AreaResult& area : areas) {
    width[0] =
        std::max(width[0], width_of(escape_controls(shown_description(summary, area)), utf8));
    width[1] = std::max(width[1], width_of(escape_controls(shown_listing(summary, area)), utf8));
    width[2] = std::max(width[2], width_of(escape_controls(area.base), utf8));
  }
  // The number, seven gaps of two and the outcome's first word.
  size_t fixed = summary.number_width + 7 * 2 + width_of("converted", utf8);
  for (size_t i = 4; i < 4 + kNumberColumns; ++i) fixed += width_of(kHeadings[i], utf8);
  // On a terminal the widest of the three text columns gives way until a
  // row fits, none below its minimum.
  while (columns > 0 && fixed + width[0] + width[1] + width[2] > static_cast<size_t>(columns)) {
    size_t* widest = std::max_element(width, width + 3);
    if (*widest <= kMinimumWidth) break;
    --*widest;
  }
  std::string line = right(kHeadings[0], summary.number_width);
  for (size_t i = 0; i < 3; ++i) line += "  " + cell(kHeadings[i + 1], width[i], false, utf8);
  for (size_t i = 4; i < 4 + kNumberColumns; ++i) line += "  " + std::string(kHeadings[i]);
  line += "  " + std::string(kHeadings[7]) + "\n";
  put(*summary.out, line);
  flush(*summary.out);
}

void print_area(Summary& summary, const AreaResult& area) {
  std::string line;
  if (summary.json) {
    line = "{\"area\": " + std::to_string(area.area->number);
    append_json_text_member(line, "description", shown_description(summary, area));
    append_json_text_member(line, "listing", shown_listing(summary, area));
    append_json_text_member(line, "base", area.base);
    append_json_text_member(line, "status", outcome_name(area.outcome));
    put_count(line, "appended", area.appended);
    put_count(line, "skipped", area.skipped);
    put_count(line, "findings", area.findings);
    put_count(line, "exit", area.exit);
    if (area.message.empty())
      line += ", \"message\": null";
    else
      append_json_text_member(line, "message", area.message);
    // DskPath: where the board kept the area's files. Not needed to convert,
    // but what a sysop moves next.
    if (area.area->disk_path.empty())
      line += ", \"files\": null";
    else
      append_json_text_member(line, "files", decoded(summary.cp437, area.area->disk_path));
    line += "}\n";
  } else {
    bool utf8 = summary.decode;
    const size_t* width = summary.width;
    line = right(std::to_string(area.area->number), summary.number_width);
    line += "  " + cell(escape_controls(shown_description(summary, area)), width[0], false, utf8);
    line += "  " + cell(escape_controls(shown_listing(summary, area)), width[1], true, utf8);
    line += "  " + cell(escape_controls(area.base), width[2], true, utf8);
    int64_t numbers[kNumberColumns] = {area.appended, area.skipped, area.findings};
    for (size_t i = 0; i < kNumberColumns; ++i)
      line += "  " + right(number_text(numbers[i]), strlen(kHeadings[4 + i]));
    line += "  " + outcome_text(area) + "\n";
  }
  put(*summary.out, line);
  flush(*summary.out);
}

void print_totals(Summary& summary, const std::vector<AreaResult>& areas) {
  int64_t by_outcome[3] = {}, appended = 0, skipped = 0, findings = 0;
  for (const AreaResult& area : areas) {
    ++by_outcome[static_cast<int>(area.outcome)];
    appended += area.appended;
    skipped += std::max<int64_t>(0, area.skipped);
    findings += std::max<int64_t>(0, area.findings);
  }
  std::string line;
  if (summary.json) {
    line = "{\"areas\": " + std::to_string(areas.size());
    for (Outcome outcome : {Outcome::Converted, Outcome::Missing, Outcome::Failed})
      put_count(line, outcome_name(outcome), by_outcome[static_cast<int>(outcome)]);
    put_count(line, "appended", appended);
    put_count(line, "skipped", skipped);
    put_count(line, "findings", findings);
    line += std::string(", \"dry_run\": ") + (summary.dry_run ? "true" : "false") + "}\n";
  } else {
    const char* would = summary.dry_run ? " would be" : "";
    line = counted(static_cast<int64_t>(areas.size()), "area") + ": ";
    line += std::to_string(by_outcome[0]) + would + " converted, ";
    line +=
        std::to_string(by_outcome[1]) + " missing, " + std::to_string(by_outcome[2]) + " failed; ";
    line += counted(appended, "record") + would + " appended, " + std::to_string(skipped) +
            " skipped, " + counted(findings, "finding");
    line += summary.dry_run ? " (dry run: nothing written)\n" : "\n";
  }
  put(*summary.out, line);
  flush(*summary.out);
}

}  // namespace tolv
