#include "companion/text_encoding.h"

#include <iconv.h>
#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "companion/text.h"

namespace tolv {

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The UTF-8 form of a code point below 256.
std::string latin1_char(unsigned code) {
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  return {static_cast<char>(0xC0 | code >> 6), static_cast<char>(0x80 | (code & 0x3F))};
}

// Fills the table show() reads, from the decoded forms.
void fill_shown(Decoder& decoder) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    std::string& shown = decoder.shown[byte];
    shown = decoder.table[byte];
    uint32_t code = byte;
    utf8_sequence(shown, code);
    if (byte < 0x20 || byte == 0x7F || is_control(code)) {
      shown.clear();
      append_hex_escape(shown, static_cast<unsigned char>(byte));
    }
  }
}

bool open_cp437(Decoder& decoder, std::string& error) {
  iconv_t cd = iconv_open("UTF-8", "IBM437");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    error = "the C library cannot convert IBM437 (CP437) to UTF-8; try --encoding latin1 or raw";
    return false;
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    char in = static_cast<char>(byte);
    char out[8];
    char* in_at = &in;
    char* out_at = out;
    size_t in_left = 1;
    size_t out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in_at, &in_left, &out_at, &out_left) == static_cast<size_t>(-1) || in_left != 0)
      decoder.table[byte] = kReplacement;
    else
      decoder.table[byte].assign(out, out_at);
  }
  iconv_close(cd);
  return true;
}

}  // namespace

bool locale_is_utf8() {
  if (setlocale(LC_CTYPE, "") == nullptr) return false;
  const char* codeset = nl_langinfo(CODESET);
  bool utf8 = codeset != nullptr && (strcmp(codeset, "UTF-8") == 0 || strcmp(codeset, "utf8") == 0);
  setlocale(LC_CTYPE, "C");
  return utf8;
}

Encoding display_encoding() {
  return locale_is_utf8() ? Encoding::Cp437 : Encoding::Raw;
}

std::string raw_json_refusal(std::string_view json_option) {
  return "--encoding raw cannot be used with " + std::string(json_option) + " (JSON text is UTF-8)";
}

bool open_decoder(Decoder& decoder, Encoding encoding, std::string& error) {
  decoder.encoding = encoding;
  if (encoding == Encoding::Latin1)
    for (unsigned byte = 0; byte < 256; ++byte) decoder.table[byte] = latin1_char(byte);
  if (encoding == Encoding::Cp437 && !open_cp437(decoder, error)) return false;
  if (encoding != Encoding::Raw) fill_shown(decoder);
  return true;
}

void decode(const Decoder& decoder, std::string_view bytes, std::string& out) {
  if (decoder.encoding == Encoding::Raw) {
    out.append(bytes);
    return;
  }
  for (char c : bytes) out += decoder.table[static_cast<unsigned char>(c)];
}

std::string decoded(const Decoder& decoder, std::string_view bytes) {
  std::string out;
  decode(decoder, bytes, out);
  return out;
}

void show(const Decoder& decoder, std::string_view bytes, std::string& out) {
  // Raw bytes reach a terminal that takes each of them on its own.
  if (decoder.encoding == Encoding::Raw) return append_terminal_text(out, bytes, false);
  for (char c : bytes) out += decoder.shown[static_cast<unsigned char>(c)];
}

std::string shown(const Decoder& decoder, std::string_view bytes) {
  std::string out;
  show(decoder, bytes, out);
  return out;
}

}  // namespace tolv
