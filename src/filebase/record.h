// The file record: the 120-byte little-endian record of the record file
// (".dir"). Record i starts at byte 120 * i; there is no header.
//
//   offset width field
//        0    71 FileName   length byte, then up to 70 characters
//       71     1 (padding, written as 0)
//       72     4 Size       signed
//       76     4 DateTime   packed MS-DOS date-time
//       80    31 Origin     length byte, then up to 30 characters
//      111     1 Flags      bit 2 set: ignored by the duplicate check
//      112     4 DescPtr    signed offset of the first description line
//      116     1 DescLines  number of description lines
//      117     1 (padding, written as 0)
//      118     2 AuxCount
//
// Bytes past a short string's length are written as 0, so a record's bytes
// depend only on its fields.
#pragma once

#include <cstdint>

#include "runtime/short_string.h"

namespace tolv {

inline constexpr int kRecordSize = 120;

// Where each field starts in the 120 bytes.
enum RecordOffset : int {
  kFileNameAt = 0,
  kSizeAt = 72,
  kDateTimeAt = 76,
  kOriginAt = 80,
  kFlagsAt = 111,
  kDescPtrAt = 112,
  kDescLinesAt = 116,
  kAuxCountAt = 118
};

inline constexpr int kFileNameCapacity = 70;
inline constexpr int kOriginCapacity = 30;
inline constexpr uint8_t kFlagNoDupeCheck = 0x04;
inline constexpr char kOrigin[] = "TOLVCONV";

struct FileRecord {
  // The length bytes are kept as stored: a decoded record may hold a length
  // past the capacity, which view() clamps and a check can report.
  ShortString<kFileNameCapacity> FileName;
  int32_t Size = 0;
  uint32_t DateTime = 0;
  ShortString<kOriginCapacity> Origin;
  uint8_t Flags = 0;
  int32_t DescPtr = 0;
  uint8_t DescLines = 0;
  uint16_t AuxCount = 0;
};

void encode_record(const FileRecord& record, uint8_t out[kRecordSize]);
FileRecord decode_record(const uint8_t in[kRecordSize]);

}  // namespace tolv
