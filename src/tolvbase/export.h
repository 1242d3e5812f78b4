// `tolvbase export`: every record of a base, in order, as a PCBoard listing
// (listing_lines.h), as JSON Lines or as CSV (record_rows.h). The export
// streams: one record and its description are held at a time.
//
// A record that the output does not carry as stored is reported with each
// reason: a damaged record (its problems as `tolvbase check` names them) in
// every format, and in a listing whatever a conversion of it would not give
// back. It is still exported, as far as it can be read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "companion/base.h"
#include "companion/output.h"
#include "companion/text_encoding.h"

namespace tolv {

enum class ExportFormat { Pcboard, Json, Csv };
// Their names, in the order of ExportFormat: the values of --format.
inline constexpr std::string_view kExportFormatNames[] = {"pcboard", "json", "csv"};

using ExportReport = std::function<void(int64_t record, const std::string& reason)>;

struct ExportResult {
  int64_t records = 0;
  int64_t reported = 0;      // records with at least one reason
  bool read_failed = false;  // `error` says why
  std::string error;
};

// Exports every whole record to `out`; texts of JSON and CSV go through
// `decoder`, a listing keeps the bytes as stored; `as_stored` keeps CSV
// cells that a spreadsheet would run as a formula as they are. A failed
// write of `out` stops the export (the caller reports it).
ExportResult export_base(ReadOnlyBase& base, ExportFormat format, const Decoder& decoder,
                         Output& out, const ExportReport& report, bool as_stored = false);

}  // namespace tolv
