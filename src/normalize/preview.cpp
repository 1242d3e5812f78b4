#include "normalize/preview.h"

#include <algorithm>
#include <vector>

#include "companion/name_doubts.h"
#include "companion/record_cursor.h"
#include "companion/text.h"
#include "filebase/file_base.h"
#include "normalize/layouts.h"
#include "normalize/line_doubts.h"
#include "normalize/listing_source.h"
#include "normalize/normalize.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// At least this many entry lines of another layout make the layout
// finding; as many more entries as tolvconv keeps, too.
constexpr int64_t kLayoutLines = 3;

// What the normalizer made of the line tolvconv is telling of.
struct NormalLine {
  int64_t number = 0;
  LineRole role = LineRole::Skipped;
  bool sized_and_dated = false;  // an entry line with a size and a date
  std::string name;
  DateField date;
  bool lead_blank = false;
};

// The normalizer, reading the same listing a line at a time.
struct Alongside {
  ListingSource* source = nullptr;
  LineByLine reading;
  int64_t read = 0;  // lines read so far
  NormalLine line;   // of the last line read
  std::string text;  // scratch
  NormalCounts counts;
  bool done = false;
};

struct Preview {
  const PreviewSink* sink = nullptr;
  NameIndex* base = nullptr;
  PreviewCounts counts;

  // Findings of the entry being read wait until the entry itself is out.
  bool holding = false;
  std::vector<PreviewFinding> held;
  std::vector<LineDoubt> doubts;  // scratch

  // The entry tolvconv is reading.
  int64_t entry_line = 0;
  int continuation_lines = 0;
  int64_t first_dropped_line = 0;  // of its 100th description line
  std::string first_dropped_text;
  int64_t tolvconv_ended = 0;  // the line after it that tolvconv skipped
  bool ended_by_blank = false;

  // The entry the normalizer is reading, whose description a lost line is.
  int64_t normal_entry = 0;
  std::string normal_name;
  bool normal_taken = false;  // tolvconv read its line as an entry too

  NameRepeats repeats;
  int64_t entries_as_files = 0;  // entries that are not separators
  int64_t first_layout_line = 0;
  std::string first_layout_text;

  Alongside* alongside = nullptr;  // null: tolvconv's reading alone
};

void emit(Preview& p, PreviewFinding finding) {
  ++p.counts.findings;
  ++p.counts.by_kind[static_cast<int>(finding.kind)];
  if (p.sink->finding) p.sink->finding(finding);
}

void add(Preview& p, int64_t line, Doubt kind, std::string message, std::string_view text) {
  PreviewFinding finding{line, kind, std::move(message), std::string(text)};
  if (p.holding)
    p.held.push_back(std::move(finding));
  else
    emit(p, std::move(finding));
}

void add_doubts(Preview& p, int64_t line, std::string_view text) {
  for (LineDoubt& d : p.doubts) add(p, line, d.kind, std::move(d.message), text);
  p.doubts.clear();
}

void release_held(Preview& p) {
  std::stable_sort(
      p.held.begin(), p.held.end(),
      [](const PreviewFinding& a, const PreviewFinding& b) { return a.line < b.line; });
  for (PreviewFinding& finding : p.held) emit(p, std::move(finding));
  p.held.clear();
}

// Reads on with the normalizer up to line `number`; its reading of that
// line, or null when it has none.
const NormalLine* normal_line(Preview& p, int64_t number) {
  Alongside* a = p.alongside;
  if (a == nullptr) return nullptr;
  bool cut = false;
  while (!a->done && a->read < number) {
    if (!next_source_line(*a->source, a->text, cut)) {
      a->done = true;
      break;
    }
    normalize_line(a->reading, ++a->read, a->text, cut);
  }
  return a->line.number == number ? &a->line : nullptr;
}

void note_normal_role(Alongside& a, int64_t number, LineRole role, const EntryShape* entry) {
  if (a.line.number == number) return;  // a later piece of a line split at a Ctrl-Z
  a.line = NormalLine{};
  a.line.number = number;
  a.line.role = role;
  if (entry == nullptr) return;
  a.line.sized_and_dated = entry->size.form != SizeForm::None && entry->date.present;
  a.line.name = entry->name.name;
  a.line.date = entry->date;
  a.line.lead_blank = entry->name.indent == 1;
}

void on_entry_line(Preview& p, int64_t number, std::string_view bytes) {
  release_held(p);
  p.holding = true;
  p.entry_line = number;
  p.continuation_lines = 0;
  p.first_dropped_line = 0;
  p.tolvconv_ended = 0;
  bool separator = doubt_entry_line(bytes, p.doubts);
  add_doubts(p, number, bytes);
  if (!separator) ++p.entries_as_files;
  if (separator) return;
  std::string_view name = entry_fields(bytes).name;
  RepeatOf repeat = note_name(p.repeats, name, number);
  if (repeat.kind == Repeat::Same)
    add(p, number, Doubt::Repeat,
        "the name " + escape_line_controls(name) + " is also on line " +
            std::to_string(repeat.first->where) + ": a -DUPE run appends only the first",
        bytes);
  else if (repeat.kind == Repeat::OtherCase)
    add(p, number, Doubt::Repeat,
        "the name " + escape_line_controls(name) + " differs from " +
            escape_line_controls(repeat.first->name) + " on line " +
            std::to_string(repeat.first->where) +
            " only in letter case: one file on DOS, two names here",
        bytes);
}

void on_continuation_line(Preview& p, int64_t number, std::string_view bytes) {
  int line_of_entry = 1 + ++p.continuation_lines;
  if (line_of_entry == kMaxDescLines + 1) {
    p.first_dropped_line = number;
    p.first_dropped_text = bytes;
  }
  if (line_of_entry <= kMaxDescLines) doubt_text(continuation_text(bytes), p.doubts);
  add_doubts(p, number, bytes);
}

// Why a line the normalizer reads as description is lost to tolvconv.
std::string lost_because(const Preview& p, int64_t number, std::string_view bytes) {
  std::string of = "its text is not added to " + escape_line_controls(p.normal_name) + " (line " +
                   std::to_string(p.normal_entry) + ")";
  if (!p.normal_taken)
    return "a description line after line " + std::to_string(p.normal_entry) +
           ", which tolvconv does not read as a file entry: skipped";
  size_t first = indent_of(bytes);
  bool bar = first < bytes.size() && bytes[first] == '|';
  if (bar && first + 1 != kBarColumn)
    return "'|' in column " + std::to_string(first + 1) + ", not " + std::to_string(kBarColumn) +
           ": skipped, and " + of;
  if (bar && p.tolvconv_ended != 0 && p.tolvconv_ended != number)
    return "a '|' line cut off from its entry by " +
           std::string(p.ended_by_blank ? "the blank line " : "line ") +
           std::to_string(p.tolvconv_ended) + ": skipped, and " + of;
  return "indented text without '|' in column " + std::to_string(kBarColumn) + ": skipped, and " +
         of;
}

void on_skipped_line(Preview& p, int64_t number, std::string_view bytes, const NormalLine* normal) {
  if (p.entry_line != 0 && p.tolvconv_ended == 0) {
    p.tolvconv_ended = number;
    p.ended_by_blank = indent_of(bytes) == bytes.size();
  }
  std::string message;
  if (is_include_line(bytes, message)) return add(p, number, Doubt::Include, message, bytes);
  if (normal == nullptr) return;
  if (normal->role == LineRole::Entry && normal->sized_and_dated)
    add(p, number, Doubt::NearMiss,
        near_miss_message(normal->name, bytes, normal->date, normal->lead_blank), bytes);
  else if (normal->role == LineRole::Description && p.normal_entry != 0)
    add(p, number, Doubt::LostContinuation, lost_because(p, number, bytes), bytes);
}

void on_line(void* context, int64_t number, std::string_view bytes, LineKind kind) {
  Preview& p = *static_cast<Preview*>(context);
  const NormalLine* normal = normal_line(p, number);
  switch (kind) {
    case LineKind::Entry:
      on_entry_line(p, number, bytes);
      break;
    case LineKind::Continuation:
      on_continuation_line(p, number, bytes);
      break;
    case LineKind::Skipped:
      on_skipped_line(p, number, bytes, normal);
      break;
  }
  if (normal != nullptr && normal->role == LineRole::Entry) {
    p.normal_entry = number;
    p.normal_name = normal->name.empty() ? std::string(entry_fields(bytes).name) : normal->name;
    p.normal_taken = kind == LineKind::Entry;
    if (p.first_layout_line == 0) {
      p.first_layout_line = number;
      p.first_layout_text = bytes;
    }
  }
  doubt_ctrl_z(bytes, p.doubts);
  add_doubts(p, number, bytes);
}

void on_entry(Preview& p, const Entry& entry, NameIndex& names) {
  ++p.counts.entries;
  if (p.continuation_lines + 1 > kMaxDescLines) {
    int dropped = p.continuation_lines + 1 - kMaxDescLines;
    add(p, p.first_dropped_line, Doubt::LinesDropped,
        escape_line_controls(entry.file_name.view()) + " (line " + std::to_string(p.entry_line) +
            ") has " + std::to_string(p.continuation_lines + 1) + " description lines: the " +
            std::to_string(dropped) + " from this one on are dropped (a record holds " +
            std::to_string(kMaxDescLines) + ")",
        p.first_dropped_text);
  }
  PreviewEntry shown_entry{p.entry_line, &entry,
                           index_holds_entry_name(names, entry.file_name.view())};
  if (!shown_entry.duplicate) {
    ++p.counts.appended_with_dupe;
    index_note_append(names, names.records, make_record(entry, 0));
  }
  if (p.sink->entry) p.sink->entry(shown_entry);
  p.holding = false;
  release_held(p);
}

// What the normalizer makes of the listing, when that is not what
// tolvconv makes of it: a layout other than clean PCBoard, or other entries.
void note_normalized(Preview& p, const NormalCounts& c) {
  int64_t kept = p.counts.entries;
  bool other_layout = c.layout != "pcboard" && c.layout != "empty" && c.support >= kLayoutLines;
  bool more = c.entries - p.entries_as_files >= kLayoutLines;
  if (kept == 0 || (!other_layout && !more)) return;  // no-entry says it when none is kept
  std::string message = "'tolvbase normalize' reads the listing as layout " + c.layout + " (" +
                        counted(c.support, "line", "lines") +
                        (c.support == 1 ? " fits it): tolvconv " : " fit it): tolvconv ") +
                        "would keep " + counted(kept, "entry", "entries") +
                        ", normalize would carry ";
  message.append(std::to_string(c.entries));
  if (c.not_carried > 0)
    message.append(" and report ")
        .append(std::to_string(c.not_carried))
        .append(" it cannot carry (without --dir, entries that list no size or date)");
  int64_t line = p.first_layout_line != 0 ? p.first_layout_line : 1;
  emit(p, {line, Doubt::Layout, std::move(message), p.first_layout_text});
}

void note_no_entry(Preview& p, const NormalCounts* c) {
  if (p.counts.entries > 0) return;
  std::string message = "the listing yields no entry: tolvconv would convert nothing";
  if (c != nullptr && c->entries + c->not_carried > 0)
    message.append("; 'tolvbase normalize' reads it as layout ")
        .append(c->layout)
        .append(" and would carry ")
        .append(counted(c->entries, "entry", "entries"));
  emit(p, {0, Doubt::NoEntry, message, {}});
}

std::string listing_name(const std::string& path) {
  return path.empty() ? "standard input" : quoted(path);
}

PreviewResult run_preview(Preview& p, Listing& listing, const std::string& path, NameIndex* base) {
  NameIndex empty;
  NameIndex& names = base != nullptr ? *base : empty;
  if (!names.valid) index_complete(names);
  LineObserver observer{on_line, &p};
  listing.observer = &observer;
  PreviewResult result;
  while (const Entry* entry = next_entry(listing)) on_entry(p, *entry, names);
  listing.observer = nullptr;
  if (uint16_t code = error_code_query(); code != 0) {
    result.failed = true;
    result.error = "cannot read " + listing_name(path) + ": " +
                   (system_error != 0 ? errno_text(system_error) : "error " + std::to_string(code));
  }
  release_held(p);
  if (!result.failed) {
    if (Alongside* a = p.alongside) {
      normal_line(p, INT64_MAX);
      a->counts = finish_line_by_line(a->reading);
      note_normalized(p, a->counts);
    }
    note_no_entry(p, p.alongside != nullptr ? &p.alongside->counts : nullptr);
  }
  result.counts = p.counts;
  return result;
}

}  // namespace

bool load_base_names(ReadOnlyBase& base, NameIndex& names, std::string& error) {
  RecordCursor cursor = record_cursor(base);
  index_restart(names, {}, cursor.count);
  while (const uint8_t* record = next_record(cursor)) index_add_stored(names, record);
  if (!base.records.error.empty()) {
    error = base.records.error;
    return false;
  }
  index_complete(names);
  return true;
}

PreviewResult preview_open_listing(Listing& listing, const std::string& path, NameIndex* base,
                                   const PreviewSink& sink) {
  Preview p;
  p.sink = &sink;
  return run_preview(p, listing, path, base);
}

PreviewResult preview_source(ListingSource& source, const std::string& path, NameIndex* base,
                             const PreviewSink& sink, bool recognize) {
  PreviewResult result;
  Preview p;
  p.sink = &sink;
  Alongside alongside;
  NormalizeOptions normal_options;  // the reading keeps pointers to both
  NormalSink normal_sink;
  normal_sink.role = [&](int64_t number, LineRole role, const EntryShape* entry) {
    note_normal_role(alongside, number, role, entry);
  };
  if (!rewind_listing_source(source)) {
    result.failed = true;
    result.error = source.error;
    return result;
  }
  if (recognize) {
    std::string error;
    LayoutChoice choice = recognize_layout(source, error);
    if (!error.empty()) {
      result.failed = true;
      result.error = error;
      return result;
    }
    if ((choice.model.layout != nullptr || choice.empty) && rewind_listing_source(source)) {
      alongside.source = &source;
      alongside.reading = start_line_by_line(choice, normal_options, normal_sink);
      p.alongside = &alongside;
    }
  }
  int fd = sys_dup(source.file.fd);
  if (fd < 0 || sys_lseek(fd, 0, SEEK_SET) != 0) {
    if (fd >= 0) sys_close(fd);
    result.failed = true;
    result.error = cannot("read", path, system_error);
    return result;
  }
  error_code_query();
  Listing listing;
  start_listing(listing, File{fd, true, false});
  result = run_preview(p, listing, path, base);
  close_listing(listing);
  error_code_query();
  if (p.alongside != nullptr) result.layout = alongside.counts.layout;
  return result;
}

PreviewResult preview_listing(const std::string& path, NameIndex* base, const PreviewSink& sink,
                              bool recognize) {
  ListingSource source;
  if (!open_listing_source(source, path.empty() ? "-" : path)) {
    PreviewResult result;
    result.failed = true;
    result.error = source.error;
    return result;
  }
  PreviewResult result = preview_source(source, path, base, sink, recognize);
  close_listing_source(source);
  return result;
}

}  // namespace tolv
