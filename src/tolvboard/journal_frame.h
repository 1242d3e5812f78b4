// The framing of tolvboard's journal (docs/board-journal.md): after an
// 8-byte mark that names the format, a sequence of records, each
//
//   offset  width  field
//        0      4  CRC-32C of bytes 4 to the end of the payload
//        4      4  the payload's length, at most kMaxPayload
//        8      1  the record's type
//        9      n  the payload
//
// little-endian. A record is appended with one write and synced, so a write
// cut short (a full disk, a crash) can only leave its end torn: bytes after
// the last whole record that are too few for the record they begin, or
// zeros. That tail is no record and is never acted on; the whole records
// before it still are. A record whose check fails, or whose length cannot
// be one, anywhere else is damage: the journal is refused.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

inline constexpr std::string_view kJournalMark = "TOLVJNL1";
inline constexpr size_t kFrameHeader = 9;
inline constexpr uint32_t kMaxPayload = 64 * 1024;

// CRC-32C (Castagnoli, reflected, as iSCSI and ext4 use it) of `bytes`.
uint32_t crc32c(std::string_view bytes);

// The record of `type` holding `payload`, framed.
std::string frame_record(uint8_t type, std::string_view payload);

struct Frame {
  int64_t offset = 0;  // of its first byte in the journal
  uint8_t type = 0;
  std::string_view payload;
};

struct FrameScan {
  std::vector<Frame> frames;  // the whole records, in order
  int64_t whole = 0;          // bytes up to the end of the last whole record
  bool torn = false;          // bytes after it: a record cut short
  std::string damage;         // why the journal is refused; empty when it is not
};

// Splits a journal's bytes into its records.
FrameScan scan_frames(std::string_view journal);

}  // namespace tolv
