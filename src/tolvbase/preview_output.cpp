#include "tolvbase/preview_output.h"

#include <string>

#include "companion/date_text.h"
#include "companion/json_lines.h"
#include "companion/text.h"

namespace tolv {

namespace {

// The kind of the finding that the listing is a file of the base given.
constexpr const char* kListingIsBase = "listing-is-base";

std::string json_head(std::string_view kind, int64_t line) {
  std::string out;
  json_begin(out);
  json_text(out, "kind", kind);
  if (line >= 0) json_number(out, "line", line);
  return out;
}

}  // namespace

void print_entry(const PreviewPrinter& printer, const PreviewEntry& entry) {
  const Entry& e = *entry.entry;
  std::string name = decoded(*printer.decoder, e.file_name.view());
  std::string date = date_time_text(e.date_time);
  if (printer.json) {
    std::string out = json_head("entry", entry.line);
    json_text(out, "name", name);
    json_number(out, "size", e.size);
    json_text(out, "date", date);
    json_number(out, "lines", e.desc_count);
    if (printer.with_base) json_bool(out, "duplicate", entry.duplicate);
    json_end(out);
    put(*printer.out, out);
    return;
  }
  if (!printer.entries) return;
  std::string out = std::to_string(entry.line) +
                    ": entry: " + shown(*printer.decoder, e.file_name.view()) + ", " +
                    std::to_string(e.size) + " bytes, " + date + ", " +
                    counted(e.desc_count, "line", "lines");
  if (printer.with_base && entry.duplicate) out += ", skipped by -DUPE";
  put(*printer.out, out + "\n");
}

void print_finding(const PreviewPrinter& printer, const PreviewFinding& finding) {
  const char* kind = doubt_name(finding.kind);
  if (printer.json) {
    std::string out = json_head(kind, finding.line);
    json_text(out, "message", decoded(*printer.decoder, finding.message));
    json_text(out, "text", decoded(*printer.decoder, finding.text));
    json_end(out);
    put(*printer.out, out);
    return;
  }
  put(*printer.out, std::to_string(finding.line) + ": " + kind + ": " +
                        shown(*printer.decoder, finding.message) + "\n  " +
                        shown(*printer.decoder, finding.text) + "\n");
}

void print_base_finding(PreviewPrinter& printer, const std::string& message) {
  printer.listing_is_base = true;
  if (printer.json) {
    std::string out = json_head(kListingIsBase, 0);
    json_text(out, "message", message);
    json_text(out, "text", "");
    json_end(out);
    put(*printer.out, out);
    return;
  }
  put(*printer.out, std::string("0: ") + kListingIsBase + ": " + message + "\n  \n");
}

void print_summary(const PreviewPrinter& printer, const PreviewCounts& counts) {
  if (printer.json) {
    std::string out = json_head("summary", -1);
    json_number(out, "entries", counts.entries);
    if (printer.with_base) {
      json_number(out, "appended_with_dupe", counts.appended_with_dupe);
      json_bool(out, "new_base", printer.new_base);
    }
    json_number(out, "findings", counts.findings);
    json_end(out);
    put(*printer.out, out);
    return;
  }
  std::string out = counted(counts.entries, "entry", "entries");
  if (printer.with_base)
    out += std::string(printer.new_base ? " into a new base" : "") + ": " +
           std::to_string(counts.entries) + " appended without -DUPE, " +
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
    if (printer.listing_is_base) {
      out += std::string(separator) + "1 " + kListingIsBase;
      separator = ", ";
    }
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
