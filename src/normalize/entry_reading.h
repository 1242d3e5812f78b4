// A listing line read by its layout's model (layouts.h): the name, then
// exactly the fields the model has, in its order and at its place, then the
// text. A field the model does not have is text, whatever it looks like.
#pragma once

#include <string_view>

#include "companion/file_directory.h"
#include "normalize/layouts.h"
#include "normalize/line_fields.h"

namespace tolv {

// Reads `line` as an entry line of the model into `entry` (whose text
// points into `line`). False when it is none. In a name-then-text layout any
// name at column 1 makes an entry line, but one that starts with a rule
// character (a comment on some boards); `directory` (may be null) is not
// needed to read a line, only to learn the layout.
bool read_entry_line(const LayoutModel& model, std::string_view line, EntryShape& entry);

// The text a marked continuation line adds: after its indent, its mark and
// one blank, as written.
std::string_view marked_text(std::string_view line);

// The text an indented continuation line adds: after its indent.
std::string_view indented_text(std::string_view line);

}  // namespace tolv
