// Small rules about text that every companion program follows: counts with
// their nouns, control characters, ASCII letter case, messages from errno.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

// "1 record", "3 records"; `many` when the plural is not the noun and "s".
// plural() gives the noun alone.
std::string counted(int64_t n, std::string_view one, std::string_view many = {});
std::string plural(int64_t n, std::string_view one, std::string_view many = {});

// True for a code point a terminal acts on instead of showing: the C0
// controls (0-31), DEL (127) and the C1 controls (128-159).
bool is_control(uint32_t code);

// Appends `byte` as \xHH.
void append_hex_escape(std::string& out, unsigned char byte);

// The bytes of a stored text with those that are controls in every
// character set the companions show text in, C0 and DEL, written as \xHH,
// so a record cannot move the cursor or end a line early. Bytes 128-159
// pass: in CP437 they are letters, and whether they are C1 controls depends
// on how the text is decoded (the decoder's show() escapes them then).
std::string escape_controls(std::string_view text);

// The text between single quotes, its C0 and DEL bytes escaped.
std::string quoted(std::string_view text);

// A text that is not CP437 (a path of this system, a message naming one)
// as a terminal should get it: in a UTF-8 locale every control and every
// byte outside a valid UTF-8 sequence as \xHH, in another locale every
// control byte (C0, DEL, C1) as \xHH.
std::string terminal_text(std::string_view text, bool utf8);

// The length of the valid UTF-8 sequence at the start of `text`, 0 when
// there is none (overlong forms, surrogates and code points past U+10FFFF
// are not valid); `code` receives its code point.
size_t utf8_sequence(std::string_view text, uint32_t& code);

// ASCII letters folded to lower case, or to upper case; other bytes
// unchanged.
char fold_case(char c);
char upper_case(char c);
std::string folded(std::string_view text);
bool equal_ignoring_case(std::string_view a, std::string_view b);

// What an errno means ("No such file or directory"), and the message
// "cannot VERB 'PATH': " followed by it.
std::string errno_text(int error);
std::string cannot(std::string_view verb, std::string_view path, int error);

}  // namespace tolv
