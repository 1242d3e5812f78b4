// A description's text made fit for a clean listing: colour codes and
// control bytes taken out, the words wrapped into lines of a given width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// The text with its colour codes removed (unless keep_colours), then every
// control byte removed: C0 and DEL, except TAB, which becomes a blank.
// Bytes 0x80-0xFF are kept: in CP437 they are letters and box characters.
// With keep_colours every colour code is kept whole, with its ESC, Ctrl-C
// or Ctrl-A byte; other control bytes are still removed. `removed`, when
// not null, is set to the number of colour codes removed (0 with
// keep_colours).
//
// The colour codes, read in one pass from the left; case of letters either
// way unless said otherwise:
//   @X0F     PCBoard: "@X" and two hex digits. Left as text inside an e-mail
//            address: when the "@" follows a letter, a digit or one of
//            . _ - + and the letters, digits and hyphens after it go on to a
//            "." and a letter or digit ("joe@x0f.com").
//   @0F@     Wildcat: "@", two hex digits, "@".
//   |15      pipe code: "|" and two decimal digits 00-31, not followed by
//            a third digit ("|1024" is text).
//   `0F      backtick code: "`", a decimal digit, a hex digit, followed
//            neither by a decimal digit nor by "'". Hex letters first are
//            text (the `quotes' of old texts: `Beef', `ACE'), and so are
//            "`1990" and "`3D'"; "`70s" reads as a code and "s".
//   ^C 5     Ctrl-C (0x03) and a decimal digit.
//   ^A x     Ctrl-A (0x01) and a printable ASCII character (0x21-0x7E).
//   ESC[..   ANSI CSI, any final byte (not only "m"): ESC "[", parameter
//            bytes 0x30-0x3F, intermediate bytes 0x20-0x2F, a final byte
//            0x40-0x7E.
// Whatever is not all of one of these is text: "@X" without two hex digits
// ("@Xmas"), "|" before one digit or a letter ("a|b", "|7"), "|32". An ESC
// that does not begin a whole CSI, a Ctrl-C without its digit and a Ctrl-A
// without its character are control bytes, removed alone; the bytes after
// them stay. The text is cleaned again while that removes anything, so
// the result holds no code that removing another brought together, and
// cleaning it again changes nothing.
std::string clean_description(std::string_view text, bool keep_colours, int64_t* removed = nullptr);

// The words of `text` (runs of bytes other than ' ') in lines of at most
// `width` bytes (a CP437 byte is one column; with colours kept, so are the
// bytes of the codes). Words are joined by one blank and a line breaks only
// between words, except that a word longer than `width` is cut into pieces
// of `width` bytes, each placed as a word of its own: the full pieces fill
// lines, the last piece begins a line that the next words continue. No line
// begins or ends with a blank; a text without a word gives no line. A width
// of 0 is taken as 1.
// At most `max_lines` lines are returned: `cut`, when not null, is set to
// whether any word, or piece of one, was left out because of that limit.
std::vector<std::string> wrap_description(std::string_view text, size_t width, size_t max_lines,
                                          bool* cut = nullptr);

}  // namespace tolv
