#include "tolvboard/area_notes.h"

#include "companion/text.h"
#include "runtime/error_codes.h"
#include "tolvboard/converter.h"

namespace tolv {

namespace {

// The check of the area's files: the listed files the directory does not
// hold (also those the normalizer could not carry for it), the sizes that
// differ and the orphans.
std::string files_text(const AreaFiles& files) {
  std::string text = "files: ";
  std::string dir = quoted(files.directory);
  if (files.listed_missing > 0)
    text += counted(files.listed_missing, "listed file") + " " +
            plural(files.listed_missing, "is", "are") + " not in " + dir;
  else
    text += "every listed file is in " + dir;
  return text + ", " + std::to_string(files.sizes_differ) + " " +
         plural(files.sizes_differ, "size differs", "sizes differ") + ", " +
         counted(files.orphans, "orphan");
}

}  // namespace

std::string reason_text(const AreaResult& area) {
  if (area.outcome == Outcome::Converted) return {};
  std::string text = area.exit >= 0 ? "exit " + std::to_string(area.exit) : "";
  std::string_view meaning = area.exit > 1 ? runtime_error_meaning(area.exit) : "";
  if (!meaning.empty()) text.append(": ").append(meaning);
  bool said = !meaning.empty() && (area.message.starts_with(kRuntimeErrorLine) ||
                                   area.message.starts_with(kConverterStatus));
  if (said || area.message.empty()) return text;
  if (!text.empty()) text += meaning.empty() ? ": " : "; ";
  return text + area.message;
}

std::vector<std::string> detail_lines(const AreaResult& area) {
  std::vector<std::string> lines;
  const NormalizedArea& normal = area.normalized;
  if (normal.done) {
    lines.push_back(normal.layout + ": " + counted(normal.not_carried, "entry", "entries") +
                    " not carried, " + counted(normal.dropped, "line") + " dropped" +
                    (normal.exact ? "" : ", not exact (see report)"));
    // A note: copies lose their dates.
    if (normal.dates_differ > 0)
      lines.push_back(counted(normal.dates_differ, "date") + " " +
                      plural(normal.dates_differ, "differs", "differ") +
                      " from the files, the listed ones kept");
    // With --describe and --orphans: "archives: 2 described, 1 orphan written".
    std::string disk;
    if (normal.described >= 0) disk = std::to_string(normal.described) + " described";
    if (normal.orphans_written >= 0)
      disk += (disk.empty() ? "" : ", ") + counted(normal.orphans_written, "orphan") + " written";
    if (!disk.empty()) lines.push_back("archives: " + disk);
  }
  const AsIsArea& as_is = area.as_is;
  if (as_is.done && !as_is.exact) {
    std::vector<std::string> lost;
    if (!as_is.layout.empty()) lost.push_back(as_is.layout + " layout");
    lost.push_back(counted(as_is.rule_rows, "rule row") +
                   (as_is.rule_rows == 1 ? " as a record" : " as records"));
    if (as_is.sizes_lost > 0) lost.push_back(counted(as_is.sizes_lost, "size") + " as 0");
    if (as_is.dates_lost > 0) lost.push_back(counted(as_is.dates_lost, "impossible date"));
    std::string line = "as-is:";
    for (size_t i = 0; i < lost.size(); ++i) line.append(i == 0 ? " " : ", ").append(lost[i]);
    lines.push_back(line.append(", not exact"));
  }
  if (area.others > 0 && area.outcome == Outcome::Converted) lines.push_back(area.message);
  if (area.files.checked) lines.push_back(files_text(area.files));
  return lines;
}

}  // namespace tolv
