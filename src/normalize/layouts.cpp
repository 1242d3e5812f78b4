#include "normalize/layouts.h"

#include <algorithm>

#include "companion/text.h"
#include "listing/columns.h"
#include "listing/number.h"
#include "listing/reader.h"
#include "normalize/line_form.h"

namespace tolv {

namespace {

constexpr LayoutInfo kLayouts[] = {
    {"pcboard", Family::SizeDate,
     "NAME SIZE MM-DD-YY text, '|' continuation lines; shifted, '/' dates, no bar"},
    {"spitfire", Family::SizeDate, "PCBoard columns, sizes with commas, one long line"},
    {"rbbs", Family::SizeDate, "PCBoard entry lines, text continued after two blanks"},
    {"wildcat", Family::SizeDate, "a blank, NAME SIZE DATE TIME, the text indented below"},
    {"generator", Family::SizeDate,
     "NAME SIZE DD-Mon-YY or YY-MM-DD, counters, new marks, indented text"},
    {"labelled", Family::SizeDate, "NAME Size: n Date: MM/DD/YY D/L: n, the text indented below"},
    {"opus", Family::DateSize, "NAME DD Mon YY SIZE text"},
    {"bytes", Family::DateSize, "NAME MM/DD/YYYY hh:mm PM N Bytes, indented text"},
    {"k-sizes", Family::SizeOnly, "NAME 21k text: sizes in kilobytes"},
    {"files-bbs", Family::NameText, "NAME text, no size or date; '>' or indented continuations"},
    {"wildcat-import", Family::NameText, "NAME padded to 14 columns, then text"},
    {"descript-ion", Family::NameText, "NAME, one blank, text; long names quoted"},
};

// What the line before was, for the continuation lines' statistics.
enum After { kOther = 0, kEntry, kContinued, kBlankAfterEntry };

// An area whose lines of text, none of them a file entry, are this few
// beside its rules and column titles is an empty area: a title and notes.
constexpr int64_t kEmptyAreaLines = 5;

const LayoutInfo* layout_named(std::string_view name) {
  for (const LayoutInfo& l : kLayouts)
    if (l.name == name) return &l;
  return nullptr;
}

bool most(int64_t part, int64_t whole) {
  return part * 2 > whole;
}

// Nearly every one of `whole`, and enough of them.
bool share(int64_t part, int64_t whole) {
  return part >= kShareLeast && part * kShareWhole >= whole * kSharePart;
}

// The layout of the family that the file's features name.
const LayoutInfo* name_layout(const LayoutStats& s, Family family) {
  int64_t votes = s.family[static_cast<int>(family)].votes;
  const FamilyCounts& fc = s.family[static_cast<int>(family)];
  switch (family) {
    case Family::SizeDate:
      if (most(s.labelled, votes)) return layout_named("labelled");
      if (most(fc.time, votes) && most(s.lead_blank, votes)) return layout_named("wildcat");
      if (most(s.month_names, votes) || s.order_votes > 0 || share(fc.counter, votes))
        return layout_named("generator");
      if (s.grouped > 0 && s.marked + s.indented == 0) return layout_named("spitfire");
      if (s.indented > s.marked) return layout_named("rbbs");
      return layout_named("pcboard");
    case Family::DateSize:
      return layout_named(most(s.bytes, votes) ? "bytes" : "opus");
    case Family::SizeOnly:
      return layout_named("k-sizes");
    case Family::NameText: {
      const int64_t* top = std::max_element(std::begin(s.text_columns), std::end(s.text_columns));
      if (s.single_gaps * 10 >= votes * 9 && s.marked + s.indented == 0)
        return layout_named("descript-ion");
      if (top - std::begin(s.text_columns) == 15 && most(*top, votes))
        return layout_named("wildcat-import");
      return layout_named("files-bbs");
    }
  }
  return nullptr;
}

std::string support_text(const LayoutInfo* layout, int64_t votes) {
  std::string out(layout->name);
  out.append(" (").append(counted(votes, "line", "lines")).append(")");
  return out;
}

// The family a line's guessed shape votes for, or -1.
int family_of(const EntryShape& shape, const FileDirectory* directory) {
  bool sized = shape.size.form != SizeForm::None;
  if (sized && shape.date.present)
    return static_cast<int>(shape.date_first ? Family::DateSize : Family::SizeDate);
  if (sized && shape.size.form != SizeForm::Digits && shape.size.form != SizeForm::Word)
    return static_cast<int>(Family::SizeOnly);
  if (sized || shape.name.indent != 0) return -1;
  std::string_view name = shape.name.name;
  // A name without an extension stands apart from its text, or ends in a
  // dot: a capitalised word opening a title does neither.
  bool bare = is_bare_name(name) && (shape.gap >= 2 || name.back() == '.');
  if (shape.name.quoted || has_extension(name) || bare ||
      (directory != nullptr && directory_holds(*directory, name)))
    return static_cast<int>(Family::NameText);
  return -1;
}

void count_entry(LayoutStats& s, const EntryShape& shape, int family, std::string_view line) {
  FamilyCounts& fc = s.family[family];
  ++fc.votes;
  fc.time += shape.time;
  fc.counter += shape.counter;
  fc.second_date += shape.second_date;
  std::string_view text = shape.text;
  if (text.size() >= 1 && (text[0] == ':' || text[0] == '-') &&
      (text.size() == 1 || text[1] == ' '))
    ++fc.separator[text[0] == ':' ? 0 : 1];
  fc.bar_text += !text.empty() && text[0] == '|';
  fc.text += !text.empty();
  fc.long_text += text.size() > kKeptLineWidth;
  if (shape.date.present && shape.date.column < FamilyCounts::kColumns)
    ++fc.date_columns[shape.date.column];
  if (shape.gap < FamilyCounts::kColumns) ++fc.gaps[shape.gap];
  if (family == static_cast<int>(Family::NameText)) {
    size_t column = shape.text_column;
    if (column > 0 && column < std::size(s.text_columns)) ++s.text_columns[column];
    s.single_gaps += shape.gap == 1 || shape.text_column == 0;
    return;
  }
  fc.exact += family == static_cast<int>(Family::SizeDate) && in_pcboard_columns(line);
  s.grouped += shape.size.form == SizeForm::Grouped;
  s.lead_blank += shape.name.indent == 1;
  s.month_names += shape.date.month_name;
  s.bytes += shape.size.form == SizeForm::Bytes;
  s.labelled += shape.labelled;
  s.order_votes += date_order_vote(shape.date);
}

// The column where (nearly) every date of the family begins, counting
// those one column later with it (" 5-10-85"); 0 when there is none. Where
// the fields follow the name at the same distance more often than the date
// stands in one column, the names are not padded: the date has no column,
// however many names have the same length.
size_t date_column_of(const FamilyCounts& fc) {
  const int64_t* columns = fc.date_columns;
  size_t best = 0;
  int64_t best_count = 0;
  for (size_t c = 1; c + 1 < FamilyCounts::kColumns; ++c) {
    int64_t here = columns[c] + columns[c + 1];
    if (here > best_count) best = c, best_count = here;
  }
  int64_t same_gap = *std::max_element(std::begin(fc.gaps), std::end(fc.gaps));
  return share(best_count, fc.votes) && best_count >= same_gap ? best : 0;
}

// Whether the layout's description lines are lines tolvconv can keep: those
// of a listing in its own columns, and those of any layout with
// continuation lines that (nearly) all fit 50 characters. Text indented
// after two blanks and reflowed past 50 (RBBS), and one line an entry
// (Spitfire, FILES.BBS, DESCRIPT.ION), is joined and wrapped anew.
bool keeps_lines(const LayoutStats& s, const FamilyCounts& fc, bool pcboard_columns) {
  int64_t continued = s.attached_marked + s.attached_indented;
  bool few_long = (fc.long_text + s.long_continuations) * 10 <= fc.text + continued;
  if (s.attached_indented > s.attached_marked) return few_long;
  return pcboard_columns || (continued > 0 && few_long);
}

LayoutModel model_of(const LayoutStats& s, const LayoutInfo* layout) {
  auto f = static_cast<int>(layout->family);
  const FamilyCounts& fc = s.family[f];
  LayoutModel m;
  m.layout = layout;
  m.family = layout->family;
  m.support = fc.votes;
  m.order = s.order_votes > 0 ? DateOrder::YearFirst : DateOrder::MonthFirst;
  m.pcboard_columns = m.family == Family::SizeDate && fc.votes > 0 &&
                      fc.exact * kShareWhole >= fc.votes * kSharePart;
  // In the PCBoard family nothing after the date is a field.
  bool pcboard_family =
      layout->name == "pcboard" || layout->name == "spitfire" || layout->name == "rbbs";
  if (!m.pcboard_columns) {
    if (!pcboard_family) {
      m.time = most(fc.time, fc.votes);
      m.counter = share(fc.counter, fc.votes);
      m.second_date = share(fc.second_date, fc.votes);
    }
    m.separator = share(fc.separator[0], fc.votes)   ? ':'
                  : share(fc.separator[1], fc.votes) ? '-'
                                                     : 0;
    m.bar_before_text = share(fc.bar_text, fc.votes);
  }
  if (m.family == Family::SizeDate || m.family == Family::DateSize)
    m.date_column = date_column_of(fc);
  m.indented_continuation =
      s.attached_indented > 0 && s.attached_indented * 10 >= s.attached_marked;
  const int64_t* indent = std::max_element(std::begin(s.indents), std::end(s.indents));
  if (m.indented_continuation && *indent > 0) m.text_indent = indent - std::begin(s.indents);
  m.keep_lines = keeps_lines(s, fc, m.pcboard_columns);
  return m;
}

}  // namespace

std::span<const LayoutInfo> known_layouts() {
  return kLayouts;
}

const LayoutInfo* find_layout(std::string_view name) {
  for (const LayoutInfo& l : kLayouts)
    if (equal_ignoring_case(l.name, name)) return &l;
  return nullptr;
}

size_t indent_of(std::string_view line) {
  size_t p = line.find_first_not_of(' ');
  return p == std::string_view::npos ? line.size() : p;
}

bool is_marked_continuation(std::string_view line) {
  size_t p = indent_of(line);
  if (p >= line.size()) return false;
  char c = line[p];
  if (c == '|') return true;
  return p >= 1 && (c == '>' || c == '+') && (p + 1 == line.size() || line[p + 1] == ' ');
}

bool in_pcboard_columns(std::string_view line) {
  if (!is_entry_line(line)) return false;
  EntryFields f = entry_fields(line);
  int32_t size = 0;
  if (f.name.empty() || f.name.size() > kSizeField.column - 1 ||
      f.size.find_first_not_of(' ') == std::string_view::npos || !read_integer(f.size, size) ||
      size < 0 || f.size.find_first_of("$%+-") != std::string_view::npos)
    return false;
  for (size_t column : {kSizeField.column + kSizeField.width, kDateField.column - 1,
                        kDateField.column + kDateField.width, kTextColumn - 1})
    if (line.size() >= column && line[column - 1] != ' ') return false;
  size_t at = kDateField.column - 1;
  if (line[at] == ' ') ++at;  // " 5-10-85"
  DateField date;
  unsigned year, month, day;
  return read_date(line, at, date) && date.separator == '-' && !date.month_name && date.wide == 0 &&
         date.end == kDateField.column + kDateField.width - 1 &&
         resolve_date(date, DateOrder::MonthFirst, year, month, day);
}

void count_line(LayoutStats& s, std::string_view line, const FileDirectory* directory) {
  ++s.lines;
  int after = s.after;
  s.after = kOther;
  size_t indent = indent_of(line);
  if (indent == line.size()) {
    s.after = after == kEntry || after == kContinued ? kBlankAfterEntry : kOther;
    return;
  }
  if (is_marked_continuation(line)) {
    ++s.marked;
    if (after != kOther) {
      ++s.attached_marked;
      size_t text = line.size() - indent - 1;
      s.long_continuations += text > kKeptLineWidth + 1;
      s.after = kContinued;
    }
    return;
  }
  EntryShape shape;
  int family = -1;
  if (indent <= 1 && parse_entry_shape(line, shape)) family = family_of(shape, directory);
  if (family >= 0 && (family != static_cast<int>(Family::NameText) ||
                      has_extension(shape.name.name) || line_form(line) == LineForm::Text)) {
    ++s.considered;
    count_entry(s, shape, family, line);
    s.after = kEntry;
    return;
  }
  LineForm form = line_form(line);
  if (form != LineForm::Text && form != LineForm::Prompt) ++s.furniture;
  if (form == LineForm::Rule || form == LineForm::Page) return;
  if (indent >= 2) {
    ++s.indented;
    if (after == kEntry || after == kContinued) {
      ++s.attached_indented;
      if (indent < std::size(s.indents)) ++s.indents[indent];
      s.long_continuations += line.size() - indent > kKeptLineWidth;
      s.after = kContinued;
    } else {
      ++s.loose;
    }
    return;
  }
  if (form != LineForm::Text) return;
  ++s.considered;
  ++s.loose;
}

LayoutChoice choose_layout(const LayoutStats& s, const LayoutInfo* forced) {
  LayoutChoice choice;
  if (forced != nullptr) {
    choice.model = model_of(s, forced);
    return choice;
  }
  int best = 0, second = -1;
  for (int f = 1; f < kFamilies; ++f)
    if (s.family[f].votes > s.family[best].votes) best = f;
  for (int f = 0; f < kFamilies; ++f)
    if (f != best && (second < 0 || s.family[f].votes > s.family[second].votes)) second = f;
  int64_t top = s.family[best].votes, next = s.family[second].votes;
  const LayoutInfo* top_layout = name_layout(s, static_cast<Family>(best));
  if (top == 0) {
    if (s.loose == 0 || (s.furniture > 0 && s.loose <= kEmptyAreaLines)) {
      choice.empty = true;
      return choice;
    }
    choice.refusal = "no layout recognised: no line reads as a file entry";
    return choice;
  }
  if (next * 3 >= top * 2) {
    choice.refusal = "two layouts fit about as well: " + support_text(top_layout, top) + " and " +
                     support_text(name_layout(s, static_cast<Family>(second)), next) +
                     "; name one with --layout";
    return choice;
  }
  if (top * 4 < s.considered) {
    choice.refusal = "no layout recognised: only " + support_text(top_layout, top) + " of " +
                     std::to_string(s.considered) +
                     " lines of text read as file entries; name one with --layout";
    return choice;
  }
  choice.model = model_of(s, top_layout);
  return choice;
}

}  // namespace tolv
