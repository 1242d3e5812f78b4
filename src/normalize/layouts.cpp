#include "normalize/layouts.h"

#include <algorithm>

#include "companion/text.h"

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
    {"opus", Family::DateSize, "NAME DD Mon YY SIZE text"},
    {"bytes", Family::DateSize, "NAME MM/DD/YYYY hh:mm PM N Bytes, indented text"},
    {"k-sizes", Family::SizeOnly, "NAME 21k text: sizes in kilobytes"},
    {"files-bbs", Family::NameText, "NAME text, no size or date; '>' or indented continuations"},
    {"wildcat-import", Family::NameText, "NAME padded to 14 columns, then text"},
    {"descript-ion", Family::NameText, "NAME, one blank, text; long names quoted"},
};

size_t indent_of(std::string_view line) {
  size_t p = line.find_first_not_of(' ');
  return p == std::string_view::npos ? line.size() : p;
}

const LayoutInfo* layout_named(std::string_view name) {
  for (const LayoutInfo& l : kLayouts)
    if (l.name == name) return &l;
  return nullptr;
}

// The layout of the family that the file's features name.
const LayoutInfo* name_layout(const LayoutStats& s, Family family) {
  int64_t votes = s.votes[static_cast<int>(family)];
  switch (family) {
    case Family::SizeDate:
      if (s.timed * 2 > votes && s.lead_blank * 2 > votes) return layout_named("wildcat");
      if (s.month_names * 2 > votes || s.order_votes > 0 || s.counted * 2 > votes)
        return layout_named("generator");
      if (s.grouped > 0 && s.marked + s.indented == 0) return layout_named("spitfire");
      if (s.indented > s.marked) return layout_named("rbbs");
      return layout_named("pcboard");
    case Family::DateSize:
      return layout_named(s.bytes * 2 > votes ? "bytes" : "opus");
    case Family::SizeOnly:
      return layout_named("k-sizes");
    case Family::NameText: {
      const int64_t* top = std::max_element(std::begin(s.text_columns), std::end(s.text_columns));
      if (s.single_gaps * 10 >= votes * 9 && s.marked + s.indented == 0)
        return layout_named("descript-ion");
      if (top - std::begin(s.text_columns) == 15 && *top * 2 > votes)
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

}  // namespace

std::span<const LayoutInfo> known_layouts() {
  return kLayouts;
}

const LayoutInfo* find_layout(std::string_view name) {
  for (const LayoutInfo& l : kLayouts)
    if (equal_ignoring_case(l.name, name)) return &l;
  return nullptr;
}

FieldSet family_fields(Family family, bool counters) {
  switch (family) {
    case Family::SizeDate:
    case Family::DateSize:
      return {true, true, true, counters, counters};
    case Family::SizeOnly:
      return {true, false, false, counters, counters};
    case Family::NameText:
      return {false, false, false, counters, false};
  }
  return {};
}

bool is_marked_continuation(std::string_view line) {
  size_t p = indent_of(line);
  if (p >= line.size()) return false;
  char c = line[p];
  if (c == '|') return true;
  return p >= 1 && (c == '>' || c == '+') && (p + 1 == line.size() || line[p + 1] == ' ');
}

bool is_indented(std::string_view line) {
  size_t p = indent_of(line);
  return p >= 2 && p < line.size();
}

void count_line(LayoutStats& s, std::string_view line) {
  ++s.lines;
  if (is_marked_continuation(line)) {
    ++s.marked;
    return;
  }
  if (line_form(line) != LineForm::Text) return;
  if (is_indented(line)) {
    ++s.indented;
    return;
  }
  ++s.considered;
  EntryShape shape;
  if (!parse_entry_shape(line, FieldSet{}, shape)) return;
  bool sized = shape.size.form != SizeForm::None;
  Family family;
  if (sized && shape.date.present) {
    family = shape.date_first ? Family::DateSize : Family::SizeDate;
    s.grouped += shape.size.form == SizeForm::Grouped;
    s.lead_blank += shape.indent == 1;
    s.timed += shape.time;
    s.counted += shape.counter || shape.mark;
    s.month_names += shape.date.month_name;
    s.bytes += shape.size.form == SizeForm::Bytes;
    s.order_votes += date_order_vote(shape.date);
  } else if (sized && shape.size.form != SizeForm::Digits && shape.size.form != SizeForm::Word) {
    family = Family::SizeOnly;
  } else if (!shape.date.present && shape.indent == 0 &&
             (shape.quoted || has_extension(shape.name))) {
    family = Family::NameText;
    size_t column = shape.text_column;
    if (column > 0 && column < std::size(s.text_columns)) ++s.text_columns[column];
    s.single_gaps += shape.gap == 1 || shape.text_column == 0;
  } else {
    return;
  }
  ++s.votes[static_cast<int>(family)];
  s.with_counters[static_cast<int>(family)] += shape.counter || shape.mark;
}

LayoutChoice choose_layout(const LayoutStats& s, const LayoutInfo* forced) {
  LayoutChoice choice;
  choice.order = s.order_votes > 0 ? DateOrder::YearFirst : DateOrder::MonthFirst;
  auto take = [&](const LayoutInfo* layout) {
    auto f = static_cast<int>(layout->family);
    choice.layout = layout;
    choice.support = s.votes[f];
    choice.counters = s.with_counters[f] * 4 >= s.votes[f] && s.with_counters[f] > 0;
    return choice;
  };
  if (forced != nullptr) return take(forced);
  int best = 0, second = -1;
  for (int f = 1; f < kFamilies; ++f)
    if (s.votes[f] > s.votes[best]) best = f;
  for (int f = 0; f < kFamilies; ++f)
    if (f != best && (second < 0 || s.votes[f] > s.votes[second])) second = f;
  int64_t top = s.votes[best], next = s.votes[second];
  const LayoutInfo* top_layout = name_layout(s, static_cast<Family>(best));
  if (s.lines == 0) {
    choice.refusal = "the listing is empty";
    return choice;
  }
  if (top == 0) {
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
  return take(top_layout);
}

}  // namespace tolv
