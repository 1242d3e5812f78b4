#include "companion/table.h"

#include <stdlib.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <charconv>

#include "runtime/syscall.h"

namespace tolv {

namespace {

constexpr size_t kMinimumWidth = 8;
constexpr std::string_view kCutMark = "...";
constexpr std::string_view kGap = "  ";

// Whether a byte starts a character: in UTF-8 every byte that does not
// continue one; in other text every byte.
bool starts_character(char c, bool utf8) {
  return !utf8 || (c & 0xC0) != 0x80;
}

// The byte offset at which the last `keep` characters of `text` start.
size_t start_of_last(std::string_view text, size_t keep, bool utf8) {
  size_t at = text.size();
  while (at > 0 && keep > 0)
    if (starts_character(text[--at], utf8)) --keep;
  return at;
}

// The byte offset just past the first `keep` characters of `text`.
size_t end_of_first(std::string_view text, size_t keep, bool utf8) {
  size_t has = text_width(text, utf8);
  return keep >= has ? text.size() : start_of_last(text, has - keep, utf8);
}

// `text` fitted into the column: cut when the column allows, then padded.
std::string cell(const Column& column, std::string_view text, bool utf8, bool last) {
  size_t width = column.width;
  std::string out = cut_text(text, width, column.cut, utf8);
  size_t pad = width - std::min(width, text_width(out, utf8));
  if (column.align == Align::Right) return std::string(pad, ' ') + out;
  if (!last) out.append(pad, ' ');
  return out;
}

std::string line_of(const Table& table, const std::vector<std::string_view>& cells) {
  std::string line;
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (i > 0) line += kGap;
    line += cell(table.columns[i], i < cells.size() ? cells[i] : "", table.utf8,
                 i + 1 == table.columns.size());
  }
  return line + "\n";
}

}  // namespace

size_t text_width(std::string_view text, bool utf8) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [&](char c) { return starts_character(c, utf8); }));
}

bool size_table(Table& table, const std::vector<std::vector<std::string>>& rows, int columns) {
  for (size_t i = 0; i < table.columns.size(); ++i) {
    Column& column = table.columns[i];
    column.width = std::max(column.width, text_width(column.heading, table.utf8));
    for (const std::vector<std::string>& row : rows)
      if (i < row.size()) column.width = std::max(column.width, text_width(row[i], table.utf8));
  }
  if (columns <= 0) return true;
  auto row_width = [&] {
    size_t width = kGap.size() * (table.columns.size() - 1);
    for (const Column& column : table.columns) width += column.width;
    return width;
  };
  while (row_width() > static_cast<size_t>(columns)) {
    Column* widest = nullptr;
    for (Column& column : table.columns)
      if (column.cut != Cut::Never && (widest == nullptr || column.width > widest->width))
        widest = &column;
    if (widest == nullptr || widest->width <= kMinimumWidth) return false;
    --widest->width;
  }
  return true;
}

std::string table_heading(const Table& table) {
  std::vector<std::string_view> headings;
  for (const Column& column : table.columns) headings.push_back(column.heading);
  return line_of(table, headings);
}

std::string table_row(const Table& table, const std::vector<std::string>& cells) {
  return line_of(table, std::vector<std::string_view>(cells.begin(), cells.end()));
}

std::string cut_text(std::string_view text, size_t width, Cut cut, bool utf8) {
  size_t has = text_width(text, utf8);
  if (has <= width || cut == Cut::Never) return std::string(text);
  size_t keep = width > kCutMark.size() ? width - kCutMark.size() : 0;
  std::string out;
  if (cut == Cut::AtEnd)
    return out.append(text.substr(0, end_of_first(text, keep, utf8))).append(kCutMark);
  std::string_view name = text.substr(text.rfind('/') + 1);
  if (cut == Cut::AtStart || text_width(name, utf8) <= keep)
    return out.append(kCutMark).append(text.substr(start_of_last(text, keep, utf8)));
  size_t head = keep / 2;
  out.append(name.substr(0, end_of_first(name, head, utf8))).append(kCutMark);
  return out.append(name.substr(start_of_last(name, keep - head, utf8)));
}

std::vector<std::string> wrap_text(std::string_view text, size_t width, bool utf8) {
  if (width == 0 || text_width(text, utf8) <= width) return {std::string(text)};
  std::vector<std::string> lines;
  std::string line;
  size_t line_width = 0;
  bool open = false;  // `line` holds a word, or the blank that starts one
  for (size_t at = 0; at <= text.size();) {
    size_t end = std::min(text.find(' ', at), text.size());
    std::string_view word = text.substr(at, end - at);
    at = end + 1;
    size_t word_width = text_width(word, utf8);
    if (open && line_width + 1 + word_width <= width) {
      line.append(1, ' ').append(word);
      line_width += 1 + word_width;
      continue;
    }
    if (open) lines.push_back(std::move(line));
    for (; word_width > width; word_width -= width) {
      size_t cut = end_of_first(word, width, utf8);
      lines.emplace_back(word.substr(0, cut));
      word.remove_prefix(cut);
    }
    line = word;
    line_width = word_width;
    open = true;
  }
  lines.push_back(std::move(line));
  return lines;
}

int environment_columns() {
  constexpr size_t kMostDigits = 9;
  const char* variable = getenv("COLUMNS");
  std::string_view given = variable != nullptr ? variable : "";
  int columns = 0;
  if (!given.empty() && given.size() <= kMostDigits &&
      given.find_first_not_of("0123456789") == std::string_view::npos)
    std::from_chars(given.data(), given.data() + given.size(), columns);
  if (columns > 0) return columns;
  struct winsize ws {};
  if (sys_get_winsize(1, &ws) < 0) return 0;
  return ws.ws_col;
}

}  // namespace tolv
