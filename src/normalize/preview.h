// `tolvbase preview`: what tolvconv would make of a listing, read with the
// converter's own reader, and every line whose reading a sysop would not
// expect, by line number. Nothing is written.
//
// The preview streams: each entry and each finding goes to the sink as soon
// as it is known, in line order. Its memory grows only with the names kept
// for the repeat finding and with the base's name index.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "companion/base.h"
#include "filebase/name_index.h"
#include "listing/reader.h"
#include "normalize/doubt.h"
#include "normalize/listing_source.h"

namespace tolv {

struct PreviewEntry {
  int64_t line = 0;  // of its file entry line
  const Entry* entry = nullptr;
  bool duplicate = false;  // a -DUPE run into the base would skip it
};

struct PreviewFinding {
  int64_t line = 0;
  Doubt kind = Doubt::Separator;
  std::string message;  // the listing's bytes in it are as they stand (CP437)
  std::string text;     // the line itself, as the reader kept it
};

struct PreviewCounts {
  int64_t entries = 0;             // appended without -DUPE
  int64_t appended_with_dupe = 0;  // with it, into the base given (or an empty one)
  int64_t findings = 0;
  int64_t by_kind[kDoubtKinds] = {};
};

struct PreviewSink {
  std::function<void(const PreviewEntry&)> entry;      // may be empty
  std::function<void(const PreviewFinding&)> finding;  // may be empty
};

struct PreviewResult {
  PreviewCounts counts;
  std::string layout;   // the layout the normalizer reads the listing in; empty: none or not asked
  bool failed = false;  // the listing could not be read to its end
  std::string error;    // why, when failed
};

// Fills `names` from the base's record file as the duplicate check reads it;
// false, with `error` saying why, when a read fails.
bool load_base_names(ReadOnlyBase& base, NameIndex& names, std::string& error);

// Previews an open listing to its end, as tolvconv alone reads it; `path`
// names it in messages (empty: standard input). `base` holds the names of
// the base the listing would be converted into, or is null for none (an
// empty base); the names of the entries a -DUPE run would append are added
// to it.
PreviewResult preview_open_listing(Listing& listing, const std::string& path, NameIndex* base,
                                   const PreviewSink& sink);

// Opens the listing at `path` (empty: standard input, spooled) and
// previews it. A listing that cannot be opened, or names a directory,
// fails. With `recognize`, the normalizer reads the listing alongside
// tolvconv's reader, by the layout it learned from it: a line tolvconv
// skips that the layout reads as an entry is a near miss, one it reads as
// description a lost continuation, and a layout other than clean PCBoard
// is said with what each program would make of it.
PreviewResult preview_listing(const std::string& path, NameIndex* base, const PreviewSink& sink,
                              bool recognize = true);

// The same over a listing source the caller opened on a file (not text in
// memory); `path` names it in messages. The source is read from its start
// and left open.
PreviewResult preview_source(ListingSource& source, const std::string& path, NameIndex* base,
                             const PreviewSink& sink, bool recognize = true);

}  // namespace tolv
