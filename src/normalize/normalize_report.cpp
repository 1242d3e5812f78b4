#include "normalize/normalize_report.h"

#include "companion/json_lines.h"
#include "companion/text.h"

namespace tolv {

std::string normal_finding_line(const NormalFinding& f, bool json) {
  std::string line;
  if (json) {
    json_begin(line);
    json_number(line, "line", f.line);
    json_text(line, "kind", normal_kind_name(f.kind));
    if (!f.name.empty()) json_text(line, "name", f.name);
    json_text(line, "message", f.message);
    json_end(line);
  } else {
    line = std::to_string(f.line);
    line.append(": ").append(normal_kind_name(f.kind)).append(": ");
    line.append(escape_controls(f.message)).append("\n");
  }
  return line;
}

std::string normal_summary_line(const NormalCounts& c, bool json) {
  std::string line;
  if (json) {
    json_begin(line);
    json_bool(line, "summary", true);
    json_text(line, "layout", c.layout);
    json_number(line, "support", c.support);
    json_number(line, "lines", c.lines);
    json_number(line, "entries", c.entries);
    json_number(line, "continuations", c.continuations);
    json_number(line, "skipped", c.skipped);
    json_number(line, "dropped", c.dropped);
    json_number(line, "not_carried", c.not_carried);
    json_number(line, "disagree", c.disagree);
    json_number(line, "orphans", c.orphans);
    json_number(line, "orphans_written", c.orphans_written);
    json_number(line, "described", c.described);
    json_end(line);
  } else {
    line = "summary: layout " + c.layout + " (" + counted(c.support, "line", "lines") +
           (c.support == 1 ? " fits it), " : " fit it), ") + counted(c.lines, "line", "lines") +
           " read: ";
    line.append(counted(c.entries, "entry", "entries")).append(" written, ");
    line.append(counted(c.not_carried, "entry", "entries")).append(" not carried, ");
    line.append(counted(c.continuations, "description line", "description lines"))
        .append(" joined to entries, ");
    line.append(counted(c.skipped, "blank line, rule or title row",
                        "blank lines, rules and title rows"))
        .append(" skipped, ");
    line.append(counted(c.dropped, "line", "lines")).append(" dropped; ");
    line.append(counted(c.disagree, "size or date", "sizes or dates"))
        .append(" differing from the files, ");
    line.append(counted(c.orphans, "orphan", "orphans"));
    if (c.writing_orphans)
      line.append(" (").append(std::to_string(c.orphans_written)).append(" written)");
    if (c.describing)
      line.append("; ")
          .append(counted(c.described, "description", "descriptions"))
          .append(" from archives");
    line.append("\n");
  }
  return line;
}

}  // namespace tolv
