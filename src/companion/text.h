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

// The escaping rule for every text that reaches a terminal, standard error
// or a log without being decoded first (names, lines, paths, messages): a
// byte is written as \xHH when it is a C0 control or DEL, a byte 0x80-0x9F
// on its own (0x9B is CSI on many terminals), or one of the two bytes of a
// C1 control encoded in UTF-8 (C2 80 - C2 9F). Valid UTF-8 and the other
// bytes pass, so a path in UTF-8 reads as itself. The rule leaves its own
// output as it is: text escaped twice is escaped once.
std::string escape_controls(std::string_view text);

// The text between single quotes, escaped by the rule.
std::string quoted(std::string_view text);

// For text in a message that every way out escapes again (the rule where
// it is written, a decoder's show(), JSON): only C0 and DEL, which would
// break the message's line, as \xHH here; bytes 0x80-0x9F, letters in
// CP437, are left for a decoder to show.
std::string escape_line_controls(std::string_view text);
std::string quoted_cp437(std::string_view text);

// Text as a terminal in the locale should get it, for a table whose widths
// are counted: in a UTF-8 locale the rule, and every byte outside a valid
// UTF-8 sequence as \xHH; in another locale, where the terminal takes each
// byte on its own, every byte that is a control on its own (C0, DEL,
// 0x80-0x9F) as \xHH.
std::string terminal_text(std::string_view text, bool utf8);
void append_terminal_text(std::string& out, std::string_view text, bool utf8);

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
