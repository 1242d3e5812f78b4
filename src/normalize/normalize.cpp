#include "normalize/normalize.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "companion/text.h"
#include "listing/columns.h"
#include "listing/entry.h"
#include "listing/line_writer.h"
#include "listing/number.h"
#include "listing/reader.h"
#include "normalize/description_text.h"
#include "normalize/line_fields.h"

namespace tolv {

namespace {

constexpr const char* kKindNames[kNormalKinds] = {
    "not-carried", "dropped",  "size-differs", "date-differs", "date-from-disk",
    "missing",     "text-cut", "repeat",       "orphan",
};

constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kNameColumns = kSizeField.column - 1;
constexpr int64_t kLargestSize = 999'999'999;  // nine digits
// An entry's text past this many bytes cannot fit 99 lines of 50.
constexpr size_t kTextCapacity = 16 * 1024;
constexpr size_t kTabStop = 8;

struct Date {
  unsigned year = 0, month = 0, day = 0;
  bool operator==(const Date&) const = default;
};

std::string date_string(const Date& d) {
  return date_text_of(d.year, d.month, d.day);
}

// The entry being read.
struct Pending {
  bool open = false;
  int64_t line = 0;
  EntryShape shape;  // of its entry line (text not kept: the line is gone)
  std::string text;
  bool text_cut = false;  // past kTextCapacity, or a line cut at the source
  bool reported = false;  // reported as not carried already: its lines are only counted
};

struct Normalizer {
  const NormalizeOptions* options = nullptr;
  const NormalSink* sink = nullptr;
  Family family = Family::SizeDate;
  DateOrder order = DateOrder::MonthFirst;
  bool counters = false;
  std::string layout_name;
  NormalCounts counts;
  bool seen_entry = false;
  bool last_rule = false;  // the line before was a rule or a banner
  Pending entry;
  std::string out;         // the lines of one entry
  std::vector<char> seen;  // the directory's files named so far
};

void report(Normalizer& n, int64_t line, NormalKind kind, std::string_view name,
            std::string message) {
  ++n.counts.by_kind[static_cast<int>(kind)];
  if (n.sink->finding)
    n.sink->finding(NormalFinding{line, kind, std::string(name), std::move(message)});
}

void drop(Normalizer& n) {
  ++n.counts.dropped;
}

void not_carried(Normalizer& n, const Pending& e, std::string why) {
  ++n.counts.not_carried;
  report(n, e.line, NormalKind::NotCarried, e.shape.name,
         quoted(e.shape.name).append(" is not written: ").append(why));
}

bool unsafe_name(std::string_view name) {
  return name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos ||
         name.find("..") != std::string_view::npos;
}

// The listing's own byte count, or -1.
int64_t listed_bytes(const SizeField& size) {
  switch (size.form) {
    case SizeForm::Digits:
    case SizeForm::Grouped:
    case SizeForm::Bytes:
      return size.value;
    default:
      return -1;
  }
}

std::string size_words(const SizeField& size) {
  switch (size.form) {
    case SizeForm::Kilo:
      return "its size is given in kilobytes";
    case SizeForm::Word:
      return "it is listed as not there";
    case SizeForm::None:
      return "the listing gives no size";
    default:
      return "its size " + std::to_string(size.value) + " is too large";
  }
}

// Appends the entry's PCBoard lines to `out`; false when a line would not
// read back as intended (then nothing is appended).
bool append_lines(std::string& out, std::string_view name, int64_t size, const Date& date,
                  const std::vector<std::string>& text) {
  std::string size_text = std::to_string(size);
  std::string line;
  start_entry_line(line, name, size_text, date_string(date));
  if (!text.empty()) append_line_text(line, text[0]);
  EntryFields back = entry_fields(line);
  if (!is_entry_line(line) || back.name != name || parse_integer(back.size) != size ||
      back.date != date_string(date) || back.text != (text.empty() ? "" : text[0]))
    return false;
  size_t start = out.size();
  out += line;
  out += kLineEnd;
  for (size_t i = 1; i < text.size(); ++i) {
    start_continuation_line(line);
    append_line_text(line, text[i]);
    if (!is_continuation_line(line) || is_entry_line(line) || continuation_text(line) != text[i]) {
      out.resize(start);
      return false;
    }
    out += line;
    out += kLineEnd;
  }
  return true;
}

void finish_entry(Normalizer& n) {
  if (!n.entry.open) return;
  Pending e = std::move(n.entry);
  n.entry = {};
  if (e.reported) return;
  const EntryShape& s = e.shape;
  std::string name = s.name;
  if (s.quoted || name.find(' ') != std::string::npos)
    return not_carried(n, e, "a name with a blank cannot be carried");
  if (unsafe_name(name)) return not_carried(n, e, "a name holding '/', '\\' or '..' is refused");

  int64_t listed = listed_bytes(s.size);
  Date listed_date;
  bool date_ok =
      resolve_date(s.date, n.order, listed_date.year, listed_date.month, listed_date.day);

  DirectoryFile* file = nullptr;
  if (FileDirectory* dir = n.options->directory) {
    FileLookup found = find_file(*dir, name, file);
    if (found == FileLookup::Ambiguous)
      return not_carried(n, e, "the directory holds it in more than one letter case");
    if (found == FileLookup::Found) {
      n.seen.resize(dir->files.size());
      char& seen = n.seen[static_cast<size_t>(file - dir->files.data())];
      if (seen)
        report(n, e.line, NormalKind::Repeat, file->name,
               quoted(file->name) + " was listed before (written again)");
      seen = 1;
    }
  }

  int64_t size = listed;
  Date date = listed_date;
  if (file != nullptr) {
    name = file->name;
    size = file->size;
    Date disk{file->year, file->month, file->day};
    if (listed >= 0 && listed != size) {
      ++n.counts.disagree;
      report(n, e.line, NormalKind::SizeDiffers, name,
             "listed size " + std::to_string(listed) + ", the file has " + std::to_string(size) +
                 " (written)");
    } else if (s.size.form == SizeForm::Kilo && s.size.value >= 0 &&
               std::abs((size + 1023) / 1024 - s.size.value) > 1) {
      ++n.counts.disagree;
      report(n, e.line, NormalKind::SizeDiffers, name,
             "listed size " + std::to_string(s.size.value) + "k, the file has " +
                 std::to_string(size) + " bytes (written)");
    }
    if (!s.date.present) {
      date = disk;
    } else if (!date_ok) {
      date = disk;
      report(n, e.line, NormalKind::DateFromDisk, name,
             "the listed date is impossible or outside 1980-2079; the file's date " +
                 date_string(disk) + " is written");
    } else if (!(disk == listed_date)) {
      ++n.counts.disagree;
      report(n, e.line, NormalKind::DateDiffers, name,
             "listed date " + date_string(listed_date) + ", the file's is " + date_string(disk) +
                 " (the listed date is written)");
    }
    if (date.year < kFirstListingYear || date.year > kLastListingYear)
      return not_carried(
          n, e, "the file's date " + std::to_string(date.year) + " lies outside 1980-2079");
  } else {
    if (listed < 0 || !date_ok) {
      std::string why = listed < 0       ? size_words(s.size)
                        : s.date.present ? "its date is impossible or outside 1980-2079"
                                         : "the listing gives no date";
      if (n.options->directory != nullptr)
        return not_carried(n, e, why + ", and the directory does not hold it");
      return not_carried(n, e, why + (s.date.present && listed >= 0 ? "" : " (use --dir)"));
    }
    if (n.options->directory != nullptr)
      report(n, e.line, NormalKind::Missing, name,
             "not in the directory; written with the listed size and date");
  }
  if (size > kLargestSize) return not_carried(n, e, "its size has more than nine digits");
  if (name.size() > kNameColumns)
    return not_carried(n, e,
                       "the name is longer than " + std::to_string(kNameColumns) + " characters");
  if (name.size() == kNameColumns && size > 99'999'999)
    return not_carried(n, e, "a name of 12 characters leaves no blank before a nine-digit size");

  std::string clean = clean_description(e.text, n.options->keep_colours);
  bool cut = false;
  std::vector<std::string> lines =
      wrap_description(clean, n.options->width, static_cast<size_t>(kMaxDescLines), &cut);
  n.out.clear();
  if (!append_lines(n.out, name, size, date, lines))
    return not_carried(n, e, "its lines would not read back as written");
  if (cut || e.text_cut)
    report(n, e.line, NormalKind::TextCut, name,
           "the description is longer than " + std::to_string(kMaxDescLines) +
               " lines hold; the rest is not written");
  ++n.counts.entries;
  if (n.sink->output) n.sink->output(n.out);
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

// What a continuation line adds: the text after its indent and marker.
std::string_view continuation_words(std::string_view line) {
  size_t p = line.find_first_not_of(' ');
  if (p == std::string_view::npos) return {};
  std::string_view rest = line.substr(p);
  if (!rest.empty() && (rest[0] == '|' || ((rest[0] == '>' || rest[0] == '+') &&
                                           (rest.size() == 1 || rest[1] == ' '))))
    rest.remove_prefix(1);
  return rest;
}

void add_text(Pending& e, std::string_view text) {
  if (text.empty()) return;
  if (e.text.size() + text.size() + 1 > kTextCapacity) {
    e.text_cut = true;
    return;
  }
  if (!e.text.empty()) e.text += ' ';
  e.text.append(text);
}

bool is_entry_of(const Normalizer& n, std::string_view line, EntryShape& shape) {
  if (!parse_entry_shape(line, family_fields(n.family, n.counters), shape)) return false;
  switch (n.family) {
    case Family::SizeDate:
      return shape.date.present;
    case Family::DateSize:
      return shape.date.present || (shape.size.form != SizeForm::None && has_extension(shape.name));
    case Family::SizeOnly:
      return shape.size.form != SizeForm::None;
    case Family::NameText:
      return shape.indent == 0;
  }
  return false;
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

void take_line(Normalizer& n, int64_t number, std::string_view line, bool cut);

void take_entry(Normalizer& n, int64_t number, const EntryShape& shape, bool cut) {
  finish_entry(n);
  n.seen_entry = true;
  n.entry.open = true;
  n.entry.line = number;
  n.entry.shape = shape;
  n.entry.text_cut = cut;
  // Some boards put '|' before the text of the entry line too (column 33).
  std::string_view text = shape.text;
  if (!text.empty() && text[0] == '|') text.remove_prefix(1);
  add_text(n.entry, text);
}

void take_line(Normalizer& n, int64_t number, std::string_view line, bool cut) {
  EntryShape shape;
  LineForm form = line_form(line);
  size_t indent = line.find_first_not_of(' ');
  bool continues =
      is_marked_continuation(line) || (n.family == Family::NameText ? indent >= 2 : indent >= 1);
  // Inside a description, a line of dashes with words, or one that starts
  // with "Total", is more of its text.
  if (n.entry.open && continues &&
      (form == LineForm::Banner || form == LineForm::Header || form == LineForm::Totals ||
       form == LineForm::Prompt))
    form = LineForm::Text;
  bool after_rule = n.last_rule;
  n.last_rule = form == LineForm::Rule || form == LineForm::Banner;
  switch (form) {
    case LineForm::Blank:
    case LineForm::Rule:
    case LineForm::Page:
      return drop(n);
    case LineForm::Header:
    case LineForm::Banner:
    case LineForm::Totals:
      finish_entry(n);
      return drop(n);
    case LineForm::Prompt: {
      std::string_view rest = after_prompt(line);
      if (!rest.empty() && is_entry_of(n, rest, shape)) return take_entry(n, number, shape, cut);
      return drop(n);
    }
    case LineForm::Text:
      break;
  }
  if (is_entry_of(n, line, shape)) return take_entry(n, number, shape, cut);
  if (n.entry.open && continues) {
    ++n.counts.continuations;
    n.entry.text_cut |= cut;
    add_text(n.entry, continuation_words(line));
    return;
  }
  finish_entry(n);
  if (!n.seen_entry) return drop(n);                                   // the listing's header
  if (n.family == Family::NameText && indent == 1) return drop(n);     // a comment
  if (after_rule && indent == 0 && line.size() <= 80) return drop(n);  // a title under a rule
  if (indent == 0 && parse_entry_shape(line, FieldSet{}, shape) && names_a_file(shape.name)) {
    ++n.counts.not_carried;
    n.entry.open = n.entry.reported = true;  // its description lines go with it
    return report(n, number, NormalKind::NotCarried, shape.name,
                  quoted(shape.name) + " is not written: no " +
                      (n.family == Family::SizeOnly ? "size" : "date") +
                      " on its line reads as one of the " + n.layout_name + " layout");
  }
  drop(n);
  report(n, number, NormalKind::Dropped, {},
         "not an entry or description of the " + n.layout_name +
             " layout: " + quoted(line.substr(0, 60)) + (line.size() > 60 ? "..." : ""));
}

// A Ctrl-D ends a line's text (DESCRIPT.ION keeps other programs' data
// after it); a Ctrl-Z in mid-line starts a line of its own.
template <typename Take>
void split_line(std::string& line, bool cut, Take take) {
  size_t d = line.find('\x04');
  if (d != std::string::npos) line.resize(d);
  expand_tabs(line);
  std::string_view rest = line;
  for (;;) {
    size_t z = rest.find('\x1a');
    if (z == std::string_view::npos) return take(rest, cut);
    take(rest.substr(0, z), false);
    rest.remove_prefix(z + 1);
    if (rest.empty()) return;
  }
}

bool first_pass(ListingSource& source, LayoutStats& stats, std::string& error) {
  std::string line;
  bool cut = false;
  while (next_source_line(source, line, cut))
    split_line(line, cut, [&](std::string_view piece, bool) { count_line(stats, piece); });
  if (!source.error.empty()) {
    error = source.error;
    return false;
  }
  return true;
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

LayoutChoice recognize_layout(ListingSource& source, std::string& error) {
  LayoutStats stats;
  if (!first_pass(source, stats, error)) return {};
  return choose_layout(stats, nullptr);
}

NormalizeResult normalize_listing(ListingSource& source, const NormalizeOptions& options,
                                  const NormalSink& sink) {
  NormalizeResult result;
  LayoutStats stats;
  if (!first_pass(source, stats, result.error)) return result;
  return normalize_as(source, choose_layout(stats, options.layout), options, sink);
}

NormalizeResult normalize_as(ListingSource& source, const LayoutChoice& choice,
                             const NormalizeOptions& options, const NormalSink& sink) {
  NormalizeResult result;
  if (choice.layout == nullptr) {
    result.refused = true;
    result.error = choice.refusal;
    return result;
  }
  if (!rewind_listing_source(source)) {
    result.error = source.error;
    return result;
  }

  Normalizer n;
  n.options = &options;
  n.sink = &sink;
  n.family = choice.layout->family;
  n.order = choice.order;
  n.counters = choice.counters;
  n.layout_name = std::string(choice.layout->name);
  n.counts.layout = n.layout_name;
  n.counts.support = choice.support;

  std::string line;
  bool cut = false;
  int64_t number = 0;
  while (next_source_line(source, line, cut)) {
    ++number;
    split_line(line, cut, [&](std::string_view piece, bool piece_cut) {
      ++n.counts.lines;
      take_line(n, number, piece, piece_cut);
    });
  }
  finish_entry(n);
  if (!source.error.empty()) {
    result.error = source.error;
    return result;
  }
  if (options.directory != nullptr)
    for (const DirectoryFile* f : unnamed_files(*options.directory)) {
      ++n.counts.orphans;
      report(n, 0, NormalKind::Orphan, f->name,
             quoted(f->name) + " is in the directory, but the listing does not name it");
    }
  result.counts = std::move(n.counts);
  return result;
}

}  // namespace tolv
