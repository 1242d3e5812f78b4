// JSON Lines (RFC 8259, one object a line) for the companions' --json and
// export output.
//
// append_json_string is the one place where bytes become JSON text, and
// every line it helps to write is valid UTF-8 whatever the bytes: '"', '\'
// and the controls (C0, DEL, C1) are escaped (\" \\ \b \f \n \r \t or
// \u00XX), so a line shown on a terminal cannot act on it; other valid UTF-8
// sequences pass unchanged, and each byte that is not part of one (a
// file name of this system in another character set, a damaged text) is
// written as \udcXX, XX the byte: the code Python's "surrogateescape" gives
// it, so os.fsencode() turns the string back into the bytes of the name.
// Text from a listing or a base is decoded (CP437 or Latin-1) before it is
// written, so it always arrives as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

void append_json_string(std::string& out, std::string_view bytes);

// One object, member by member: json_begin opens it, each member is
// separated from the one before, json_end closes it and ends the line.
void json_begin(std::string& out);
void json_text(std::string& out, std::string_view name, std::string_view text);
void json_number(std::string& out, std::string_view name, int64_t value);
// A count that may be unknown: null when negative.
void json_count(std::string& out, std::string_view name, int64_t value);
void json_bool(std::string& out, std::string_view name, bool value);
void json_null(std::string& out, std::string_view name);
void json_texts(std::string& out, std::string_view name, const std::vector<std::string>& texts);
void json_end(std::string& out);

}  // namespace tolv
