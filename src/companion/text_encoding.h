// How tolvbase shows the bytes of a listing or a base, which are CP437 text:
//
//   cp437   decoded to UTF-8 through the C library's iconv ("IBM437")
//   latin1  each byte as the code point of the same value, in UTF-8 (lossless)
//   raw     the bytes unchanged
//
// A decoder converts a whole table of 256 bytes at its opening, so decoding
// is a lookup per byte and a byte that iconv cannot convert becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace tolv {

enum class Encoding { Cp437, Latin1, Raw };
// Their names, in the order of Encoding: the values of --encoding.
inline constexpr std::string_view kEncodingNames[] = {"cp437", "latin1", "raw"};

// True when the locale of the environment (LC_ALL, LC_CTYPE, LANG) uses the
// UTF-8 character set.
bool locale_is_utf8();

// How text is shown when no --encoding is given: CP437 decoded to UTF-8 in
// a UTF-8 locale, the bytes unchanged in any other.
Encoding display_encoding();

struct Decoder {
  Encoding encoding = Encoding::Raw;
  std::string table[256];  // the UTF-8 form of each byte (not used for raw)
  std::string shown[256];  // what a terminal gets for each byte (show(); not used for raw)
};

// The usage error for --encoding raw with an output whose text must be
// UTF-8 (`json_option`: how the command asks for JSON).
std::string raw_json_refusal(std::string_view json_option);

// Prepares `decoder`; false, with `error` saying why, when the C library has
// no IBM437 conversion.
bool open_decoder(Decoder& decoder, Encoding encoding, std::string& error);

// Appends `bytes` decoded to `out`.
void decode(const Decoder& decoder, std::string_view bytes, std::string& out);
std::string decoded(const Decoder& decoder, std::string_view bytes);

// Appends `bytes` as a terminal should get them: decoded, and each byte
// that would reach the terminal as a control written as \xHH instead. C0
// and DEL are controls in every encoding; bytes 128-159 are C1 controls raw
// and in Latin-1, and letters in CP437.
void show(const Decoder& decoder, std::string_view bytes, std::string& out);
std::string shown(const Decoder& decoder, std::string_view bytes);

}  // namespace tolv
