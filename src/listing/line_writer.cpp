#include "listing/line_writer.h"

#include "listing/columns.h"

namespace tolv {

void start_entry_line(std::string& line, std::string_view name, std::string_view size,
                      std::string_view date) {
  line.assign(name);
  line.resize(kNameColumns > line.size() ? kNameColumns : line.size(), ' ');
  if (size.size() < kSizeField.width) line.append(kSizeField.width - size.size(), ' ');
  line.append(size);
  line.resize(kDateField.column - 1 > line.size() ? kDateField.column - 1 : line.size(), ' ');
  line.append(date);
}

void start_continuation_line(std::string& line) {
  line.assign(kBarColumn - 1, ' ');
  line += '|';
  line.resize(kTextColumn - 1, ' ');
}

void append_line_text(std::string& line, std::string_view text) {
  if (line.size() < kTextColumn - 1) line.resize(kTextColumn - 1, ' ');
  line.append(text);
}

}  // namespace tolv
