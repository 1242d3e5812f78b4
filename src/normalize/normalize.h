// `tolvbase normalize`: a listing of any known layout rewritten as a
// PCBoard listing that tolvconv reads exactly, with a finding for every line
// it could not carry.
//
// Two passes over the listing: the first learns the layout's model from
// every line (layouts.h), the second reads each line by that model
// (entry_reading.h) and writes each entry as soon as it is whole. Memory
// holds a line, the entry being read and the model's counts; with a
// directory, its file list.
//
// Every line is accounted for: a file entry written or not carried, a line
// of an entry's description, furniture skipped (blank lines, rules, column
// titles, page headers), or a line dropped, each of those named in a
// finding. A line tolvconv would read as a file entry is never dropped in
// silence. A listing tolvconv already reads exactly comes out as the same
// records, less its rule and header rows: its description lines are kept as
// they are, and only a line tolvconv would cut, or text the layout joins
// (Spitfire's one long line, RBBS's reflowed text), is wrapped anew.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "normalize/layouts.h"
#include "normalize/listing_source.h"
#include "normalize/normal_findings.h"

namespace tolv {

struct NormalizeResult {
  NormalCounts counts;
  std::string error;     // the listing could not be read, or no layout was chosen
  bool refused = false;  // no layout chosen (error says why)
};

// 0 every entry written with the listing's own values, 1 not so, 2 error.
int normalize_status(const NormalizeResult& result);

NormalizeResult normalize_listing(ListingSource& source, const NormalizeOptions& options,
                                  const NormalSink& sink);

// Only the first pass: the layout the model was learned for, or why none
// was. `directory` (may be null) names the files a listing's first words
// may be.
LayoutChoice recognize_layout(ListingSource& source, std::string& error,
                              const FileDirectory* directory = nullptr);

// Only the second pass, from the listing's first line, by a model the first
// pass learned (`choice` from recognize_layout; refused with its refusal
// when it has none). options.layout is not looked at. For a caller that
// must know the layout before it reads the directory; normalize_listing is
// the two passes in one call.
NormalizeResult normalize_as(ListingSource& source, const LayoutChoice& choice,
                             const NormalizeOptions& options, const NormalSink& sink);

// The second pass a line at a time, for a caller that reads the listing
// itself alongside another reader (the preview): start, then every line
// with its number, then finish. `options` and `sink` must outlive the
// reading.
struct Normalizer;
struct LineByLine {
  std::shared_ptr<Normalizer> normalizer;
};
LineByLine start_line_by_line(const LayoutChoice& choice, const NormalizeOptions& options,
                              const NormalSink& sink);
void normalize_line(LineByLine& reading, int64_t number, std::string& line, bool cut);
NormalCounts finish_line_by_line(LineByLine& reading);

}  // namespace tolv
