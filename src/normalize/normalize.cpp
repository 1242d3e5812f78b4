#include "normalize/normalize.h"

#include <utility>

#include "companion/text.h"
#include "listing/entry.h"
#include "listing/reader.h"
#include "normalize/entry_reading.h"
#include "normalize/line_form.h"
#include "normalize/normal_state.h"
#include "normalize/orphans.h"

namespace tolv {

namespace {

constexpr const char* kKindNames[kNormalKinds] = {
    "not-carried",    "dropped",         "size-differs",   "date-differs",
    "date-from-disk", "missing",         "text-cut",       "repeat",
    "orphan",         "converter-entry", "empty-area",     "not-archive",
    "unread-kind",    "unread-method",   "no-description", "unreadable-archive",
};

// An entry's text past this many bytes cannot fit 99 lines of 50.
constexpr size_t kTextCapacity = 16 * 1024;
constexpr size_t kTabStop = 8;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// How much of a dropped line its finding shows.
constexpr size_t kShownText = 60;

void note_role(Normalizer& n, int64_t number, LineRole role, const EntryShape* entry = nullptr) {
  if (n.sink->role) n.sink->role(number, role, entry);
}

void skip(Normalizer& n, int64_t number) {
  ++n.counts.skipped;
  if (n.entry.open) n.entry.suspended = true;
  note_role(n, number, LineRole::Skipped);
}

std::string shown(std::string_view line) {
  return quoted_cp437(line.substr(0, kShownText)) + (line.size() > kShownText ? "..." : "");
}

void drop(Normalizer& n, int64_t number, std::string_view line, std::string_view what) {
  ++n.counts.dropped;
  if (n.entry.open) n.entry.suspended = true;
  note_role(n, number, LineRole::Dropped);
  report(n, number, NormalKind::Dropped, {}, std::string(what) + ": " + shown(line));
}

void add_text(PendingEntry& e, std::string_view text, bool cut) {
  e.text_cut |= cut;
  if (e.bytes + text.size() > kTextCapacity) {
    e.text_cut = true;
    return;
  }
  e.bytes += text.size();
  e.lines.emplace_back(text);
}

void take_entry(Normalizer& n, int64_t number, const EntryShape& shape, bool cut) {
  finish_entry(n);
  n.seen_entry = true;
  PendingEntry& e = n.entry;
  e.open = true;
  e.line = number;
  e.name = shape.name;
  e.size = shape.size;
  e.date = shape.date;
  add_text(e, shape.text, cut);
  note_role(n, number, LineRole::Entry, &shape);
}

void continue_entry(Normalizer& n, int64_t number, std::string_view text, bool cut) {
  ++n.counts.continuations;
  add_text(n.entry, text, cut);
  note_role(n, number, LineRole::Description);
}

// A line that names a file but holds nothing the layout reads as its
// fields: an entry that is not carried, its description lines with it.
void name_without_fields(Normalizer& n, int64_t number, std::string_view name, std::string why) {
  finish_entry(n);
  ++n.counts.not_carried;
  n.entry.open = n.entry.reported = true;
  n.entry.line = number;
  n.entry.name.name = name;
  note_role(n, number, LineRole::Entry);
  report(n, number, NormalKind::NotCarried, name,
         quoted_cp437(name) + " is not written: " + std::move(why));
}

// A name a person would take for a file's: NAME.EXT with a letter in EXT.
bool names_a_file(std::string_view name) {
  if (!has_extension(name)) return false;
  for (char c : name.substr(name.rfind('.') + 1))
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return false;
}

// Where a caller's session glued a prompt to a line: the rest after the
// prompt and its one-letter answer.
std::string_view after_prompt(std::string_view line) {
  size_t q = line.find("? ");
  if (q == std::string_view::npos) q = line.find('?');
  if (q == std::string_view::npos) return {};
  std::string_view rest = line.substr(q + 1);
  size_t p = rest.find_first_not_of(' ');
  if (p == std::string_view::npos) return {};
  rest.remove_prefix(p);
  if (rest.size() > 1 && (rest[0] == 'y' || rest[0] == 'Y' || rest[0] == 'n' || rest[0] == 'N'))
    rest.remove_prefix(1);
  return rest;
}

const char* furniture_name(LineForm form) {
  switch (form) {
    case LineForm::Banner:
      return "a banner";
    case LineForm::Totals:
      return "a totals line";
    case LineForm::Prompt:
      return "a prompt";
    default:
      return "neither an entry nor its description";
  }
}

// A line tolvconv would read as a file entry line: how the normalizer
// reading differs is always said.
struct ConverterView {
  bool entry = false;
  std::string name;  // the name tolvconv would take
};

// Whether the entry line of a name-then-text layout is furniture instead:
// a name without an extension that is a column title, a rule or a total.
bool furniture_not_entry(const Normalizer& n, const EntryShape& shape, std::string_view line) {
  if (n.model.family != Family::NameText || shape.name.quoted || has_extension(shape.name.name))
    return false;
  LineForm form = line_form(line);
  return form != LineForm::Text && form != LineForm::Prompt;
}

void note_converter_entry(Normalizer& n, int64_t number, const ConverterView& view,
                          const char* read_as) {
  report(n, number, NormalKind::ConverterEntry, view.name,
         "tolvconv alone would store this line as a file entry " +
             (view.name.empty() ? std::string("with an empty name")
                                : "named " + quoted_cp437(view.name)) +
             " ('-' in columns 26 and 29); here it is " + read_as);
}

void take_line(Normalizer& n, int64_t number, std::string_view line, bool cut,
               const ConverterView& view) {
  const LayoutModel& m = n.model;
  size_t indent = indent_of(line);
  if (indent == line.size()) {
    if (view.entry) note_converter_entry(n, number, view, "no text (a Ctrl-D ends it)");
    return skip(n, number);
  }
  EntryShape shape;
  if (read_entry_line(m, line, shape) && !furniture_not_entry(n, shape, line))
    return take_entry(n, number, shape, cut);
  LineForm form = line_form(line);
  bool marked = is_marked_continuation(line) && (m.text_indent == 0 || indent != m.text_indent);
  if (marked && n.entry.open) {
    if (view.entry) note_converter_entry(n, number, view, "more description");
    return continue_entry(n, number, marked_text(line), cut);
  }
  if (view.entry && !view.name.empty() && form != LineForm::Rule && form != LineForm::Header)
    return name_without_fields(n, number, view.name,
                               "tolvconv reads the line as a file entry, but it does not read as "
                               "one of the " +
                                   n.layout_name + " layout");
  if (view.entry) note_converter_entry(n, number, view, "a rule or column titles");
  // Indented text continues an entry: a rule too, as part of its art;
  // a page header, or anything after furniture, does not.
  bool indented = indent >= (m.family == Family::NameText ? 2u : 1u);
  if (indented && m.indented_continuation && n.entry.open && !n.entry.suspended &&
      form != LineForm::Page && (form != LineForm::Rule || indent >= 2))
    return continue_entry(n, number, indented_text(line), cut);
  switch (form) {
    case LineForm::Blank:
    case LineForm::Rule:
    case LineForm::Header:
    case LineForm::Page:
      return skip(n, number);
    case LineForm::Prompt: {
      std::string_view rest = after_prompt(line);
      if (!rest.empty() && read_entry_line(m, rest, shape))
        return take_entry(n, number, shape, cut);
      break;
    }
    default:
      break;
  }
  if (indent == 0 && form == LineForm::Text && n.seen_entry && parse_entry_shape(line, shape) &&
      names_a_file(shape.name.name))
    return name_without_fields(n, number, shape.name.name,
                               std::string("no ") +
                                   (m.family == Family::SizeOnly ? "size" : "date") +
                                   " on its line reads as one of the " + n.layout_name + " layout");
  if (marked) return drop(n, number, line, "a '|' line with no entry above");
  drop(n, number, line,
       form == LineForm::Text && !n.seen_entry ? "before the first entry"
       : form == LineForm::Text && indented    ? "indented text that does not continue an entry"
                                               : furniture_name(form));
}

// TABs to blanks at every eighth column, so columns mean what they show.
void expand_tabs(std::string& line) {
  if (line.find('\t') == std::string::npos) return;
  std::string out;
  out.reserve(line.size() + 16);
  for (char c : line) {
    if (c == '\t')
      out.append(kTabStop - out.size() % kTabStop, ' ');
    else
      out += c;
  }
  line = std::move(out);
}

// What tolvconv itself makes of a line: its first 255 bytes, unexpanded.
ConverterView converter_view(std::string_view raw) {
  ConverterView view;
  raw = raw.substr(0, kLineCapacity);
  view.entry = is_entry_line(raw);
  if (view.entry) view.name = entry_fields(raw).name;
  return view;
}

// The piece without the UTF-8 byte-order marks at its start, before or
// after its indent: they would begin a name (`scratch` holds the piece
// when some are taken out).
std::string_view without_marks(std::string_view piece, std::string& scratch) {
  size_t at = piece.find_first_not_of(' ');
  if (at == std::string_view::npos || !piece.substr(at).starts_with(kByteOrderMark)) return piece;
  size_t end = at;
  while (piece.substr(end).starts_with(kByteOrderMark)) end += kByteOrderMark.size();
  scratch.assign(piece.substr(0, at)).append(piece.substr(end));
  return scratch;
}

// A Ctrl-D ends a line's text (DESCRIPT.ION keeps other programs' data
// after it); a Ctrl-Z in mid-line starts a line of its own. A UTF-8
// byte-order mark before a line (the start of each file, where listings
// were joined, or behind a Ctrl-Z) is not part of it. Only the first piece is what tolvconv
// reads the line's columns from.
template <typename Take>
void split_line(std::string& line, bool cut, Take take) {
  ConverterView view = converter_view(line);
  size_t d = line.find('\x04');
  if (d != std::string::npos) line.resize(d);
  expand_tabs(line);
  std::string scratch;
  std::string_view rest = line;
  for (;;) {
    size_t z = rest.find('\x1a');
    std::string_view piece = without_marks(rest.substr(0, z), scratch);
    if (z == std::string_view::npos) return take(piece, cut, view);
    take(piece, false, view);
    view = {};
    rest.remove_prefix(z + 1);
    if (rest.empty()) return;
  }
}

bool first_pass(ListingSource& source, LayoutStats& stats, std::string& error,
                const FileDirectory* directory) {
  std::string line;
  bool cut = false;
  while (next_source_line(source, line, cut))
    split_line(line, cut, [&](std::string_view piece, bool, const ConverterView&) {
      count_line(stats, piece, directory);
    });
  if (!source.error.empty()) {
    error = source.error;
    return false;
  }
  return true;
}

void start(Normalizer& n, const LayoutChoice& choice, const NormalizeOptions& options,
           const NormalSink& sink) {
  n.options = &options;
  n.sink = &sink;
  n.model = choice.model;
  if (choice.model.layout != nullptr) n.layout_name = std::string(choice.model.layout->name);
  n.counts.layout = choice.empty ? "empty" : n.layout_name;
  n.counts.support = choice.model.support;
}

// After the listing, the files it does not name, in name order: reported,
// and with --orphans written as entries by the rules every entry meets.
void take_orphans(Normalizer& n) {
  const FileDirectory& dir = *n.options->directory;
  bool write = n.options->orphans;
  if (write)
    for (const std::string& name : dir.left_out)
      report(n, 0, NormalKind::Orphan, name, left_out_message(name));
  for (const DirectoryFile* f : unnamed_files(dir)) {
    ++n.counts.orphans;
    report(n, 0, NormalKind::Orphan, f->name, orphan_message(f->name, write));
    if (!write) continue;
    n.entry = PendingEntry{};
    n.entry.open = true;
    n.entry.name.name = f->name;
    int64_t written = n.counts.entries;
    finish_entry(n);
    n.counts.orphans_written += n.counts.entries - written;
  }
}

void finish(Normalizer& n) {
  finish_entry(n);
  // An empty listing with the files written from the directory is a scan:
  // nothing to say of the listing.
  bool scan = n.counts.lines == 0 && n.options->orphans && n.options->directory != nullptr;
  if (n.counts.entries + n.counts.not_carried == 0 && n.model.layout == nullptr && !scan)
    report(n, 0, NormalKind::EmptyArea, {},
           n.options->orphans && n.options->directory != nullptr
               ? "no line reads as a file entry: an empty area, its files written from the "
                 "directory"
               : "no line reads as a file entry: an empty area, written as an empty listing");
  n.counts.describing = n.options->describe;
  n.counts.writing_orphans = n.options->orphans;
  if (n.options->directory != nullptr) take_orphans(n);
}

}  // namespace

const char* normal_kind_name(NormalKind kind) {
  return kKindNames[static_cast<int>(kind)];
}

int normalize_status(const NormalizeResult& r) {
  if (!r.error.empty()) return 2;
  const NormalCounts& c = r.counts;
  auto any = [&](NormalKind k) { return c.by_kind[static_cast<int>(k)] > 0; };
  // A listed date that is not the file's is written as listed: a note, not
  // a loss, since a copied file keeps the date of its copy.
  int64_t sizes_differ = c.disagree - c.by_kind[static_cast<int>(NormalKind::DateDiffers)];
  bool exact = c.not_carried == 0 && sizes_differ == 0 && !any(NormalKind::Missing) &&
               !any(NormalKind::TextCut) && !any(NormalKind::DateFromDisk);
  return exact ? 0 : 1;
}

LayoutChoice recognize_layout(ListingSource& source, std::string& error,
                              const FileDirectory* directory) {
  LayoutStats stats;
  if (!first_pass(source, stats, error, directory)) return {};
  return choose_layout(stats, nullptr);
}

NormalizeResult normalize_listing(ListingSource& source, const NormalizeOptions& options,
                                  const NormalSink& sink) {
  NormalizeResult result;
  LayoutStats stats;
  if (!first_pass(source, stats, result.error, options.directory)) return result;
  return normalize_as(source, choose_layout(stats, options.layout), options, sink);
}

LineByLine start_line_by_line(const LayoutChoice& choice, const NormalizeOptions& options,
                              const NormalSink& sink) {
  LineByLine reading{std::make_shared<Normalizer>()};
  start(*reading.normalizer, choice, options, sink);
  return reading;
}

void normalize_line(LineByLine& reading, int64_t number, std::string& line, bool cut) {
  Normalizer& n = *reading.normalizer;
  split_line(line, cut, [&](std::string_view piece, bool piece_cut, const ConverterView& view) {
    ++n.counts.lines;
    if (n.model.layout == nullptr) {  // an empty area: nothing is an entry
      if (view.entry) note_converter_entry(n, number, view, "no entry of any layout");
      if (indent_of(piece) == piece.size() || line_form(piece) != LineForm::Text)
        return skip(n, number);
      return drop(n, number, piece, "not a file entry");
    }
    take_line(n, number, piece, piece_cut, view);
  });
}

NormalCounts finish_line_by_line(LineByLine& reading) {
  finish(*reading.normalizer);
  NormalCounts counts = std::move(reading.normalizer->counts);
  reading.normalizer.reset();
  return counts;
}

NormalizeResult normalize_as(ListingSource& source, const LayoutChoice& choice,
                             const NormalizeOptions& options, const NormalSink& sink) {
  NormalizeResult result;
  if (choice.model.layout == nullptr && !choice.empty) {
    result.refused = true;
    result.error = choice.refusal;
    return result;
  }
  if (!rewind_listing_source(source)) {
    result.error = source.error;
    return result;
  }
  LineByLine reading = start_line_by_line(choice, options, sink);
  std::string line;
  bool cut = false;
  int64_t number = 0;
  while (next_source_line(source, line, cut)) normalize_line(reading, ++number, line, cut);
  NormalCounts counts = finish_line_by_line(reading);
  if (!source.error.empty()) {
    result.error = source.error;
    return result;
  }
  result.counts = std::move(counts);
  return result;
}

}  // namespace tolv
