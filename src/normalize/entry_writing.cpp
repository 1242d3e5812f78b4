// An entry of any layout, once whole, written as PCBoard lines: its name,
// size and date checked against the directory of its files when there is
// one, its description kept or wrapped as the layout asks, every line read
// back with tolvconv's own rules before it is written.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "companion/text.h"
#include "listing/columns.h"
#include "listing/entry.h"
#include "listing/line_writer.h"
#include "listing/number.h"
#include "listing/reader.h"
#include "normalize/archive_description.h"
#include "normalize/description_text.h"
#include "normalize/normal_state.h"

namespace tolv {

namespace {

// Findings held behind a suspended entry; past this many the entry is
// written, and nothing further continues it.
constexpr size_t kHeldFindings = 32;

// The finding for each way an archive gives no description.
constexpr NormalKind kArchiveFindings[] = {
    NormalKind::TextCut,      NormalKind::NotArchive,    NormalKind::UnreadKind,
    NormalKind::UnreadMethod, NormalKind::NoDescription, NormalKind::Unreadable,
};
static_assert(std::size(kArchiveFindings) == static_cast<size_t>(ArchiveOutcome::Unreadable) + 1);

struct Date {
  unsigned year = 0, month = 0, day = 0;
  bool operator==(const Date&) const = default;
};

std::string date_string(const Date& d) {
  return date_text_of(d.year, d.month, d.day);
}

void not_carried(Normalizer& n, const PendingEntry& e, std::string why) {
  ++n.counts.not_carried;
  report(n, e.line, NormalKind::NotCarried, e.name.name,
         quoted_cp437(e.name.name).append(" is not written: ").append(why));
}

bool unsafe_name(std::string_view name) {
  return name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos ||
         name.find("..") != std::string_view::npos;
}

bool holds_control(std::string_view name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
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

std::string_view trimmed_right(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// The description as lines a record holds. Kept lines stay as written (a
// line tolvconv would cut, and only such a one, is wrapped); otherwise the
// words are joined and wrapped at the width. `cut` tells whether text was
// left out past the 99th line.
// The clean text wrapped at the width. A word longer than the width is cut
// into pieces, and a cut can leave a colour code at a piece's end ("|000"
// cut before its last digit): each piece is cleaned again, so the lines
// written clean to themselves.
std::vector<std::string> wrapped(const std::string& clean, const NormalizeOptions& o, size_t most,
                                 bool& cut) {
  std::vector<std::string> lines = wrap_description(clean, o.width, most, &cut);
  for (std::string& line : lines) line = clean_description(line, o.keep_colours);
  return lines;
}

std::vector<std::string> description_lines(const Normalizer& n, const PendingEntry& e, bool& cut) {
  const NormalizeOptions& o = *n.options;
  const auto most = static_cast<size_t>(kMaxDescLines);
  std::vector<std::string> out;
  if (!n.model.keep_lines) {
    std::string joined;
    for (const std::string& line : e.lines) {
      std::string_view words = trimmed_right(line);
      words.remove_prefix(std::min(words.size(), words.find_first_not_of(' ')));
      if (words.empty()) continue;
      if (!joined.empty()) joined += ' ';
      joined.append(words);
    }
    return wrapped(clean_description(joined, o.keep_colours), o, most, cut);
  }
  size_t first = 0, last = e.lines.size();
  if (!n.model.pcboard_columns) {
    // Only blank lines around the text: the layout's spacing, not its text.
    auto blank = [&](size_t i) { return trimmed_right(e.lines[i]).empty(); };
    while (first < last && blank(first)) ++first;
    while (last > first && blank(last - 1)) --last;
  }
  cut = false;
  for (size_t i = first; i < last && !cut; ++i) {
    std::string clean = clean_description(e.lines[i], o.keep_colours);
    if (!n.model.pcboard_columns) {  // the layout's indent and margin are not text
      clean.resize(trimmed_right(clean).size());
      clean.erase(0, clean.find_first_not_of(' '));
    }
    if (trimmed_right(clean).size() <= kKeptLineWidth) {
      if (out.size() == most) cut = true;
      clean.resize(std::min(clean.size(), kKeptLineWidth));
      if (!cut) out.push_back(std::move(clean));
      continue;
    }
    bool left_out = false;
    for (std::string& piece : wrapped(clean, o, most - out.size(), left_out))
      out.push_back(std::move(piece));
    cut = left_out;
  }
  return out;
}

// An entry the listing leaves without a word: its archive's description.
bool describe_from_archive(Normalizer& n, int64_t line, const DirectoryFile& file,
                           std::vector<std::string>& lines, bool& cut) {
  if (std::any_of(lines.begin(), lines.end(),
                  [](const std::string& l) { return !trimmed_right(l).empty(); }))
    return false;
  ArchiveDescription found = describe_archive(n.options->directory->path, file.name,
                                              n.options->keep_colours, kMaxDescLines);
  if (!found.message.empty())
    report(n, line, kArchiveFindings[static_cast<int>(found.outcome)], file.name, found.message);
  if (found.lines.empty()) return false;
  lines = std::move(found.lines);
  cut = found.cut && !found.larger;  // the finding above says it
  return true;
}

// Appends the entry's PCBoard lines to `out`; false when a line would not
// read back as intended (then nothing is appended).
bool append_lines(std::string& out, std::string_view name, int64_t size, const Date& date,
                  const std::vector<std::string>& text) {
  std::string size_text = std::to_string(size), date_text = date_string(date);
  std::string line;
  start_entry_line(line, name, size_text, date_text);
  if (!text.empty() && !text[0].empty()) append_line_text(line, text[0]);
  EntryFields back = entry_fields(line);
  if (!is_entry_line(line) || back.name != name || parse_integer(back.size) != size ||
      back.date != date_text || back.text != (text.empty() ? "" : text[0]))
    return false;
  size_t start = out.size();
  out += line;
  out += kListingLineEnd;
  for (size_t i = 1; i < text.size(); ++i) {
    start_continuation_line(line);
    append_line_text(line, text[i]);
    if (!is_continuation_line(line) || is_entry_line(line) ||
        tolv::continuation_text(line) != text[i]) {
      out.resize(start);
      return false;
    }
    out += line;
    out += kListingLineEnd;
  }
  return true;
}

// The directory's file for the entry; false when the entry is not carried
// because of it.
bool look_up(Normalizer& n, const PendingEntry& e, DirectoryFile*& file) {
  file = nullptr;
  FileDirectory* dir = n.options->directory;
  if (dir == nullptr) return true;
  FileLookup found = find_file(*dir, e.name.name, file);
  if (found == FileLookup::Ambiguous) {
    not_carried(n, e, "the directory holds it in more than one letter case");
    return false;
  }
  if (found == FileLookup::Found) {
    n.seen.resize(dir->files.size());
    char& seen = n.seen[static_cast<size_t>(file - dir->files.data())];
    if (seen)
      report(n, e.line, NormalKind::Repeat, file->name,
             quoted_cp437(file->name) + " was listed before (written again)");
    seen = 1;
  }
  return true;
}

// The size and date from the file, checked against the listing's; false
// when the entry is not carried.
bool from_file(Normalizer& n, const PendingEntry& e, const DirectoryFile& file, int64_t listed,
               bool date_ok, const Date& listed_date, int64_t& size, Date& date) {
  size = file.size;
  Date disk{file.year, file.month, file.day};
  const std::string& name = file.name;
  if (listed >= 0 && listed != size) {
    ++n.counts.disagree;
    report(n, e.line, NormalKind::SizeDiffers, name,
           "listed size " + std::to_string(listed) + ", the file has " + std::to_string(size) +
               " (written)");
  } else if (e.size.form == SizeForm::Kilo && e.size.value >= 0 &&
             std::abs((size + 1023) / 1024 - e.size.value) > 1) {
    ++n.counts.disagree;
    report(n, e.line, NormalKind::SizeDiffers, name,
           "listed size " + std::to_string(e.size.value) + "k, the file has " +
               std::to_string(size) + " bytes (written)");
  }
  date = listed_date;
  if (!e.date.present) {
    date = disk;
  } else if (!date_ok) {
    date = disk;
    report(n, e.line, NormalKind::DateFromDisk, name,
           "the listed date is impossible or outside " + std::to_string(kFirstListingYear) + "-" +
               std::to_string(kLastListingYear) + "; the file's date " + date_string(disk) +
               " is written");
  } else if (!(disk == listed_date)) {
    ++n.counts.disagree;
    report(n, e.line, NormalKind::DateDiffers, name,
           "listed date " + date_string(listed_date) + ", the file's is " + date_string(disk) +
               " (the listed date is written)");
  }
  if (!is_listing_year(date.year)) {
    not_carried(n, e,
                "the file's date " + std::to_string(date.year) + " lies outside " +
                    std::to_string(kFirstListingYear) + "-" + std::to_string(kLastListingYear));
    return false;
  }
  return true;
}

void write_entry(Normalizer& n, const PendingEntry& e) {
  std::string name = e.name.name;
  if (e.name.quoted || name.find(' ') != std::string::npos)
    return not_carried(n, e, "a name with a blank cannot be carried");
  if (unsafe_name(name)) return not_carried(n, e, "a name holding '/', '\\' or '..' is refused");
  if (holds_control(name)) return not_carried(n, e, "its name holds a control character");

  int64_t listed = listed_bytes(e.size);
  Date listed_date;
  bool date_ok =
      resolve_date(e.date, n.model.order, listed_date.year, listed_date.month, listed_date.day);
  DirectoryFile* file = nullptr;
  if (!look_up(n, e, file)) return;
  int64_t size = listed;
  Date date = listed_date;
  if (file != nullptr) {
    name = file->name;
    if (!from_file(n, e, *file, listed, date_ok, listed_date, size, date)) return;
  } else {
    if (listed < 0 || !date_ok) {
      std::string why = listed < 0       ? size_words(e.size)
                        : e.date.present ? "its date is impossible or outside " +
                                               std::to_string(kFirstListingYear) + "-" +
                                               std::to_string(kLastListingYear)
                                         : "the listing gives no date";
      if (n.options->directory != nullptr)
        return not_carried(n, e, why + ", and the directory does not hold it");
      return not_carried(n, e, why + (e.date.present && listed >= 0 ? "" : " (use --dir)"));
    }
    if (n.options->directory != nullptr)
      report(n, e.line, NormalKind::Missing, name,
             "not in the directory; written with the listed size and date");
  }
  if (size > kLargestListedSize) return not_carried(n, e, "its size has more than nine digits");
  if (name.size() > kNameColumns)
    return not_carried(n, e,
                       "the name is longer than " + std::to_string(kNameColumns) + " characters");
  if (name.size() > name_room(std::to_string(size).size()))
    return not_carried(n, e, "a name of 12 characters leaves no blank before a nine-digit size");

  bool cut = false;
  std::vector<std::string> lines = description_lines(n, e, cut);
  bool described =
      file != nullptr && n.options->describe && describe_from_archive(n, e.line, *file, lines, cut);
  n.out.clear();
  if (!append_lines(n.out, name, size, date, lines))
    return not_carried(n, e, "its lines would not read back as written");
  if (cut || e.text_cut)
    report(n, e.line, NormalKind::TextCut, name,
           "the description is longer than " + std::to_string(kMaxDescLines) +
               " lines hold; the rest is not written");
  ++n.counts.entries;
  n.counts.described += described;
  if (n.sink->output) n.sink->output(n.out);
}

}  // namespace

void report(Normalizer& n, int64_t line, NormalKind kind, std::string_view name,
            std::string message) {
  ++n.counts.by_kind[static_cast<int>(kind)];
  NormalFinding finding{line, kind, std::string(name), std::move(message)};
  if (n.entry.open && line > n.entry.line) {
    n.held.push_back(std::move(finding));
    if (n.held.size() >= kHeldFindings) finish_entry(n);
    return;
  }
  if (n.sink->finding) n.sink->finding(finding);
}

void finish_entry(Normalizer& n) {
  if (!n.entry.open) return;
  PendingEntry e = std::move(n.entry);
  n.entry = {};
  if (!e.reported) write_entry(n, e);
  for (const NormalFinding& finding : n.held)
    if (n.sink->finding) n.sink->finding(finding);
  n.held.clear();
}

}  // namespace tolv
