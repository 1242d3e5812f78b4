#include "companion/table.h"

#include <sys/ioctl.h>

#include <algorithm>

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

// `text` fitted into the column: cut when the column allows, then padded.
std::string cell(const Column& column, std::string_view text, bool utf8, bool last) {
  size_t width = column.width;
  size_t has = text_width(text, utf8);
  std::string out;
  if (has <= width || column.cut == Cut::Never) {
    out = text;
  } else if (column.cut == Cut::AtStart) {
    out = kCutMark;
    out += text.substr(start_of_last(text, width - kCutMark.size(), utf8));
  } else {
    size_t drop = has - (width - kCutMark.size());
    out = text.substr(0, start_of_last(text, drop, utf8));
    out += kCutMark;
  }
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

void size_table(Table& table, const std::vector<std::vector<std::string>>& rows,
                int terminal_columns) {
  for (size_t i = 0; i < table.columns.size(); ++i) {
    Column& column = table.columns[i];
    column.width = std::max(column.width, text_width(column.heading, table.utf8));
    for (const std::vector<std::string>& row : rows)
      if (i < row.size()) column.width = std::max(column.width, text_width(row[i], table.utf8));
  }
  if (terminal_columns <= 0) return;
  auto row_width = [&] {
    size_t width = kGap.size() * (table.columns.size() - 1);
    for (const Column& column : table.columns) width += column.width;
    return width;
  };
  while (row_width() > static_cast<size_t>(terminal_columns)) {
    Column* widest = nullptr;
    for (Column& column : table.columns)
      if (column.cut != Cut::Never && (widest == nullptr || column.width > widest->width))
        widest = &column;
    if (widest == nullptr || widest->width <= kMinimumWidth) return;
    --widest->width;
  }
}

std::string table_heading(const Table& table) {
  std::vector<std::string_view> headings;
  for (const Column& column : table.columns) headings.push_back(column.heading);
  return line_of(table, headings);
}

std::string table_row(const Table& table, const std::vector<std::string>& cells) {
  return line_of(table, std::vector<std::string_view>(cells.begin(), cells.end()));
}

int terminal_columns() {
  struct winsize ws {};
  if (sys_get_winsize(1, &ws) < 0) return 0;
  return ws.ws_col;
}

}  // namespace tolv
