#include "tolvbase/preview_output.h"

#include <string>

#include "companion/date_text.h"
#include "companion/json_text.h"
#include "companion/text.h"

namespace tolv {

namespace {

std::string json_head(std::string_view kind, int64_t line) {
  std::string out = "{\"kind\": ";
  append_json_string(out, kind);
  if (line >= 0) append_json_number_member(out, "line", line);
  return out;
}

}  // namespace

void print_entry(const PreviewPrinter& printer, const PreviewEntry& entry) {
  const Entry& e = *entry.entry;
  std::string name = decoded(*printer.decoder, e.file_name.view());
  std::string date = date_time_text(e.date_time);
  if (printer.json) {
    std::string out = json_head("entry", entry.line);
    append_json_text_member(out, "name", name);
    append_json_number_member(out, "size", e.size);
    append_json_text_member(out, "date", date);
    append_json_number_member(out, "lines", e.desc_count);
    if (printer.with_base)
      out += entry.duplicate ? ", \"duplicate\": true" : ", \"duplicate\": false";
    put(*printer.out, out + "}\n");
    return;
  }
  if (!printer.entries) return;
  std::string out = std::to_string(entry.line) +
                    ": entry: " + decoded(*printer.decoder, escape_controls(e.file_name.view())) +
                    ", " + std::to_string(e.size) + " bytes, " + date + ", " +
                    counted(e.desc_count, "line", "lines");
  if (printer.with_base && entry.duplicate) out += ", skipped by -DUPE";
  put(*printer.out, out + "\n");
}

void print_finding(const PreviewPrinter& printer, const PreviewFinding& finding) {
  const char* kind = doubt_name(finding.kind);
  if (printer.json) {
    std::string out = json_head(kind, finding.line);
    append_json_text_member(out, "message", decoded(*printer.decoder, finding.message));
    append_json_text_member(out, "text", decoded(*printer.decoder, finding.text));
    put(*printer.out, out + "}\n");
    return;
  }
  put(*printer.out, std::to_string(finding.line) + ": " + kind + ": " +
                        decoded(*printer.decoder, finding.message) + "\n  " +
                        decoded(*printer.decoder, escape_controls(finding.text)) + "\n");
}

void print_summary(const PreviewPrinter& printer, const PreviewCounts& counts) {
  if (printer.json) {
    std::string out = json_head("summary", -1);
    append_json_number_member(out, "entries", counts.entries);
    if (printer.with_base)
      append_json_number_member(out, "appended_with_dupe", counts.appended_with_dupe);
    append_json_number_member(out, "findings", counts.findings);
    put(*printer.out, out + "}\n");
    return;
  }
  std::string out = counted(counts.entries, "entry", "entries");
  if (printer.with_base)
    out += ": " + std::to_string(counts.entries) + " appended without -DUPE, " +
           std::to_string(counts.appended_with_dupe) + " with it;";
  else
    out += ",";
  if (counts.findings == 0) {
    out += " no finding";
  } else {
    out += ' ';
    out += counted(counts.findings, "finding", "findings");
    out += ':';
    const char* separator = " ";
    for (int kind = 0; kind < kDoubtKinds; ++kind) {
      if (counts.by_kind[kind] == 0) continue;
      out += separator;
      out += std::to_string(counts.by_kind[kind]);
      out += ' ';
      out += doubt_name(static_cast<Doubt>(kind));
      separator = ", ";
    }
  }
  put(*printer.out, out + "\n");
}

}  // namespace tolv
