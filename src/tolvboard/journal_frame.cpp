#include "tolvboard/journal_frame.h"

#include <algorithm>
#include <array>

namespace tolv {

namespace {

constexpr uint32_t kCastagnoli = 0x82F63B78;  // the polynomial, reflected

const std::array<uint32_t, 256>& crc_table() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ kCastagnoli : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  return table;
}

uint32_t read_u32(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return v;
}

void append_u32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool all_zero(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

}  // namespace

uint32_t crc32c(std::string_view bytes) {
  const std::array<uint32_t, 256>& table = crc_table();
  uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFF;
}

std::string frame_record(uint8_t type, std::string_view payload) {
  std::string checked;
  append_u32(checked, static_cast<uint32_t>(payload.size()));
  checked += static_cast<char>(type);
  checked.append(payload);
  std::string out;
  append_u32(out, crc32c(checked));
  return out + checked;
}

FrameScan scan_frames(std::string_view journal) {
  FrameScan scan;
  if (!journal.starts_with(kJournalMark)) {
    // A mark cut short is a journal whose making was cut short: empty.
    if (journal.size() < kJournalMark.size() && kJournalMark.starts_with(journal))
      scan.torn = !journal.empty();
    else
      scan.damage = "it does not start with " + std::string(kJournalMark);
    return scan;
  }
  size_t at = kJournalMark.size();
  while (at < journal.size()) {
    std::string_view rest = journal.substr(at);
    std::string where = "the record at byte " + std::to_string(at);
    // Zeros to the end: room a crash left allocated but unwritten.
    if (all_zero(rest)) break;
    if (rest.size() < kFrameHeader) break;
    uint32_t length = read_u32(rest, 4);
    if (length > kMaxPayload) {
      scan.damage =
          where + " claims " + std::to_string(length) + " bytes, more than a record holds";
      return scan;
    }
    if (rest.size() < kFrameHeader + length) break;
    std::string_view checked = rest.substr(4, kFrameHeader - 4 + length);
    if (crc32c(checked) != read_u32(rest, 0)) {
      scan.damage = where + " fails its check (CRC-32C): it was changed after it was written";
      return scan;
    }
    scan.frames.push_back({static_cast<int64_t>(at), static_cast<uint8_t>(rest[8]),
                           rest.substr(kFrameHeader, length)});
    at += kFrameHeader + length;
  }
  scan.whole = static_cast<int64_t>(std::min(at, journal.size()));
  scan.torn = scan.whole < static_cast<int64_t>(journal.size());
  return scan;
}

}  // namespace tolv
