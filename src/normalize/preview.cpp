#include "normalize/preview.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "companion/name_doubts.h"
#include "companion/record_cursor.h"
#include "companion/text.h"
#include "filebase/file_base.h"
#include "normalize/line_doubts.h"
#include "normalize/listing_source.h"
#include "runtime/io_error.h"
#include "runtime/syscall.h"

namespace tolv {

namespace {

// At least this many lines of another layout, outnumbering the entries
// that read as files, make the listing look like that layout.
constexpr int64_t kLayoutLines = 3;

// Where the last lines leave a '|' line or an indented line: attached to an
// entry, cut off from it, or after a line that looks like a missed entry.
enum class Context { None, Attached, CutOff, AfterMiss };

struct Preview {
  const PreviewSink* sink = nullptr;
  NameIndex* base = nullptr;
  PreviewCounts counts;

  // Findings of the entry being read wait until the entry itself is out.
  bool holding = false;
  std::vector<PreviewFinding> held;
  std::vector<LineDoubt> doubts;  // scratch

  // The entry being read.
  int64_t entry_line = 0;
  int continuation_lines = 0;
  int64_t first_dropped_line = 0;  // of its 100th description line
  std::string first_dropped_text;

  // What a skipped '|' or indented line would belong to.
  Context context = Context::None;
  int64_t context_entry_line = 0;
  std::string context_name;
  int64_t cut_line = 0;  // the line that cut it off, or the missed entry
  bool cut_by_blank = false;

  NameRepeats repeats;

  int64_t layout_lines[kLayouts] = {};
  int64_t entries_as_files = 0;  // neither separators nor comma sizes
  int64_t separators = 0;
  int64_t first_layout_line = 0;
  std::string first_layout_text;
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

void count_layout(Preview& p, Layout layout, int64_t number, std::string_view bytes) {
  if (layout == Layout::None) return;
  ++p.layout_lines[static_cast<int>(layout)];
  if (p.first_layout_line == 0) {
    p.first_layout_line = number;
    p.first_layout_text = bytes;
  }
}

void on_entry_line(Preview& p, int64_t number, std::string_view bytes) {
  release_held(p);
  p.holding = true;
  p.entry_line = number;
  p.continuation_lines = 0;
  p.first_dropped_line = 0;
  bool separator = doubt_entry_line(bytes, p.doubts);
  add_doubts(p, number, bytes);
  bool comma = !separator && has_comma_size(bytes);
  if (comma) count_layout(p, Layout::CommaSizes, number, bytes);
  if (!separator && !comma) ++p.entries_as_files;
  if (separator) ++p.separators;

  std::string_view name = entry_fields(bytes).name;
  p.context = Context::Attached;
  p.context_entry_line = number;
  p.context_name = name;
  if (separator) return;
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

std::string belongs_to(const Preview& p) {
  return "its text is not added to " + escape_line_controls(p.context_name) + " (line " +
         std::to_string(p.context_entry_line) + ")";
}

void on_skipped_line(Preview& p, int64_t number, std::string_view bytes) {
  SkippedLine s = judge_skipped_line(bytes);
  count_layout(p, s.layout, number, bytes);
  auto lost = [&](std::string why) {
    add(p, number, Doubt::LostContinuation, std::move(why), bytes);
  };
  switch (s.shape) {
    case Shape::Blank:
      if (p.context == Context::Attached) {
        p.context = Context::CutOff;
        p.cut_line = number;
        p.cut_by_blank = true;
      }
      return;
    case Shape::Bar:
      if (p.context == Context::AfterMiss) {
        lost("a '|' line after line " + std::to_string(p.cut_line) +
             ", which tolvconv does not read as a file entry: skipped");
      } else if (p.context != Context::None && s.bar_column != kBarColumn) {
        lost("'|' in column " + std::to_string(s.bar_column) + ", not " +
             std::to_string(kBarColumn) + ": skipped, and " + belongs_to(p));
        if (p.context == Context::Attached) {
          p.context = Context::CutOff;
          p.cut_line = number;
          p.cut_by_blank = false;
        }
      } else if (p.context == Context::CutOff) {
        lost("a '|' line cut off from its entry by " +
             std::string(p.cut_by_blank ? "the blank line " : "line ") +
             std::to_string(p.cut_line) + ": skipped, and " + belongs_to(p));
      }
      return;
    case Shape::Indented:
      if (p.context == Context::Attached || (p.context == Context::CutOff && !p.cut_by_blank)) {
        lost("indented text without '|' in column " + std::to_string(kBarColumn) +
             ": skipped, and " + belongs_to(p));
        if (p.context == Context::Attached) {
          p.context = Context::CutOff;
          p.cut_line = number;
          p.cut_by_blank = false;
        }
      } else {
        p.context = Context::None;
      }
      return;
    case Shape::NearMiss:
      add(p, number, Doubt::NearMiss, std::move(s.message), bytes);
      p.context = Context::AfterMiss;
      p.cut_line = number;
      return;
    case Shape::Include:
      add(p, number, Doubt::Include, std::move(s.message), bytes);
      p.context = Context::None;
      return;
    case Shape::FilesBbs:
    case Shape::Other:
      p.context = Context::None;
      return;
  }
}

void on_line(void* context, int64_t number, std::string_view bytes, LineKind kind) {
  Preview& p = *static_cast<Preview*>(context);
  switch (kind) {
    case LineKind::Entry:
      on_entry_line(p, number, bytes);
      break;
    case LineKind::Continuation:
      on_continuation_line(p, number, bytes);
      break;
    case LineKind::Skipped:
      on_skipped_line(p, number, bytes);
      break;
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
void note_normalized(Preview& p, const NormalizeResult& n) {
  int64_t kept = p.counts.entries;
  if (n.refused || !n.error.empty()) return;  // nothing to add to what the preview says
  const NormalCounts& c = n.counts;
  bool other_layout = c.layout != "pcboard" && c.support >= kLayoutLines;
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

void note_no_entry(Preview& p, const NormalizeResult* n) {
  if (p.counts.entries > 0) return;
  std::string message = "the listing yields no entry: tolvconv would convert nothing";
  if (n != nullptr && n->error.empty() && n->counts.entries + n->counts.not_carried > 0)
    message.append("; 'tolvbase normalize' reads it as layout ")
        .append(n->counts.layout)
        .append(" and would carry ")
        .append(counted(n->counts.entries, "entry", "entries"));
  emit(p, {0, Doubt::NoEntry, message, {}});
}

void note_layout(Preview& p) {
  int best = 0;
  int64_t lines = 0;
  for (int i = 1; i < kLayouts; ++i)
    if (p.layout_lines[i] > p.layout_lines[best]) best = i;
  for (int64_t n : p.layout_lines) lines += n;
  if (lines < kLayoutLines || lines <= p.entries_as_files) return;
  auto layout = static_cast<Layout>(best);
  std::string message = "the listing looks like " + std::string(layout_text(layout)) + ": ";
  if (layout == Layout::CommaSizes)
    message += std::to_string(p.layout_lines[best]) + " file entry lines have sizes with commas";
  else
    message += std::to_string(lines) + " lines look like file entries that tolvconv skips";
  message += "; tolvconv would convert " + std::to_string(p.counts.entries) + " entr" +
             (p.counts.entries == 1 ? "y" : "ies");
  if (layout == Layout::CommaSizes)
    message += ", " + std::to_string(p.layout_lines[best]) + " of them with size 0";
  else if (p.separators > 0)
    message += ", " + std::to_string(p.separators) + " of them rule or header rows";
  emit(p, {p.first_layout_line, Doubt::Layout, message, p.first_layout_text});
}

std::string listing_name(const std::string& path) {
  return path.empty() ? "standard input" : quoted(path);
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
                                   const PreviewSink& sink, const NormalizeResult* normalized) {
  Preview p;
  p.sink = &sink;
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
    if (normalized != nullptr)
      note_normalized(p, *normalized);
    else
      note_layout(p);
    note_no_entry(p, normalized);
  }
  result.counts = p.counts;
  return result;
}

namespace {

// Standard input held in memory, as an unnamed temporary file that the
// listing reader can read: -1 when none can be made.
int held_input(const std::string& bytes) {
  const char* dir = getenv("TMPDIR");
  std::string where = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  int fd = sys_open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n =
        retry_interrupted([&] { return sys_write(fd, bytes.data() + done, bytes.size() - done); });
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  if (done < bytes.size() || sys_lseek(fd, 0, SEEK_SET) != 0) {
    sys_close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

PreviewResult preview_listing(const std::string& path, NameIndex* base, const PreviewSink& sink,
                              bool recognize) {
  PreviewResult result;
  File file{0, true, true};  // standard input
  NormalizeResult normalized;
  bool have_normalized = false;
  if (recognize) {
    ListingSource source;
    if (!open_listing_source(source, path.empty() ? "-" : path)) {
      result.failed = true;
      result.error = source.error;
      return result;
    }
    normalized = normalize_listing(source, NormalizeOptions{}, NormalSink{});
    have_normalized = normalized.refused || normalized.error.empty();
    close_listing_source(source);
    if (path.empty()) {
      int fd = held_input(source.memory);
      if (fd < 0) {
        result.failed = true;
        result.error =
            "cannot hold standard input in a temporary file: " + errno_text(system_error);
        return result;
      }
      file = File{fd, true, false};
    }
  }
  if (!path.empty()) {
    ReadOnlyFile input;
    if (!open_read_only(input, path)) {
      result.failed = true;
      result.error = input.error;
      return result;
    }
    file = File{input.fd, true, false};
  }
  error_code_query();
  Listing listing;
  start_listing(listing, file);
  result = preview_open_listing(listing, path, base, sink, have_normalized ? &normalized : nullptr);
  close_listing(listing);
  error_code_query();
  return result;
}

}  // namespace tolv
