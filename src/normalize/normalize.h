// `tolvbase normalize`: a listing of any known layout rewritten as a
// PCBoard listing that tolvconv reads exactly, with a finding for every line
// it could not carry.
//
// Two passes over the listing: the first counts the votes that choose the
// layout (layouts.h), the second reads each line under that layout and
// writes each entry as soon as its last line is read. Memory holds a line,
// the entry being read and the votes; with a directory, its file list.
//
// Every line is accounted for: a file entry written or not carried, a line
// of an entry's description, or a line dropped (blank lines, rules, column
// titles, banners, totals, page headers, prompts, the header before the
// first entry, silently; anything else with a finding).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "companion/file_directory.h"
#include "normalize/layouts.h"
#include "normalize/listing_source.h"

namespace tolv {

enum class NormalKind {
  NotCarried,    // a file entry that is not written
  Dropped,       // a line that is neither an entry nor its text
  SizeDiffers,   // the listed size is not the file's (the file's is written)
  DateDiffers,   // the listed date is not the file's (the listed one is written: a note)
  DateFromDisk,  // the listed date is impossible: the file's is written
  Missing,       // not in the directory (written from the listing)
  TextCut,       // more description than 99 lines hold
  Repeat,        // a name the directory matched before
  Orphan,        // a file in the directory that no entry names
};
inline constexpr int kNormalKinds = 9;

// The stable name of a kind, as printed and in JSON: "not-carried", ...
const char* normal_kind_name(NormalKind kind);

struct NormalFinding {
  int64_t line = 0;  // 0 for an orphan
  NormalKind kind = NormalKind::Dropped;
  std::string name;  // the file the line names, if any
  std::string message;
};

struct NormalCounts {
  std::string layout;
  int64_t support = 0;
  int64_t lines = 0;
  int64_t entries = 0;        // written
  int64_t continuations = 0;  // lines of description joined into an entry
  int64_t dropped = 0;
  int64_t not_carried = 0;  // entries
  int64_t disagree = 0;     // sizes or dates that differ from the file's
  int64_t orphans = 0;
  int64_t by_kind[kNormalKinds] = {};
};

inline constexpr size_t kDefaultWidth = 45;
inline constexpr size_t kMinWidth = 10;
inline constexpr size_t kMaxWidth = 50;

struct NormalizeOptions {
  const LayoutInfo* layout = nullptr;  // forced; null: chosen from the votes
  size_t width = kDefaultWidth;
  bool keep_colours = false;
  FileDirectory* directory = nullptr;  // --dir
};

struct NormalSink {
  std::function<void(std::string_view)> output;       // the PCBoard lines
  std::function<void(const NormalFinding&)> finding;  // in line order, orphans last
};

struct NormalizeResult {
  NormalCounts counts;
  std::string error;     // the listing could not be read, or no layout was chosen
  bool refused = false;  // no layout chosen (error says why)
};

// 0 every entry written with the listing's own values (a listed date that
// is not its file's counts as written so), 1 not so, 2 error.
int normalize_status(const NormalizeResult& result);

NormalizeResult normalize_listing(ListingSource& source, const NormalizeOptions& options,
                                  const NormalSink& sink);

// Only the first pass: the layout the votes choose and its support.
LayoutChoice recognize_layout(ListingSource& source, std::string& error);

// Only the second pass, from the listing's first line, under a layout the
// first pass chose (`choice` from recognize_layout; with no layout, refused
// with its refusal). options.layout is not looked at. For a caller that
// must know the layout before it reads the directory; normalize_listing is
// the two passes in one call.
NormalizeResult normalize_as(ListingSource& source, const LayoutChoice& choice,
                             const NormalizeOptions& options, const NormalSink& sink);

}  // namespace tolv
