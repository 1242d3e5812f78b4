#include "filebase/record.h"

#include <cstring>

namespace tolv {

namespace {

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

template <size_t N>
void put_string(uint8_t* at, const ShortString<N>& s) {
  std::string_view text = s.view();
  at[0] = static_cast<uint8_t>(text.size());
  if (!text.empty()) memcpy(at + 1, text.data(), text.size());
}

template <size_t N>
void get_string(const uint8_t* at, ShortString<N>& s) {
  s.length = at[0];
  memcpy(s.text, at + 1, N);
}

}  // namespace

void encode_record(const FileRecord& record, uint8_t out[kRecordSize]) {
  memset(out, 0, kRecordSize);
  put_string(out + kFileNameAt, record.FileName);
  put32(out + kSizeAt, static_cast<uint32_t>(record.Size));
  put32(out + kDateTimeAt, record.DateTime);
  put_string(out + kOriginAt, record.Origin);
  out[kFlagsAt] = record.Flags;
  put32(out + kDescPtrAt, static_cast<uint32_t>(record.DescPtr));
  out[kDescLinesAt] = record.DescLines;
  out[kAuxCountAt] = static_cast<uint8_t>(record.AuxCount);
  out[kAuxCountAt + 1] = static_cast<uint8_t>(record.AuxCount >> 8);
}

FileRecord decode_record(const uint8_t in[kRecordSize]) {
  FileRecord record;
  get_string(in + kFileNameAt, record.FileName);
  record.Size = static_cast<int32_t>(get32(in + kSizeAt));
  record.DateTime = get32(in + kDateTimeAt);
  get_string(in + kOriginAt, record.Origin);
  record.Flags = in[kFlagsAt];
  record.DescPtr = static_cast<int32_t>(get32(in + kDescPtrAt));
  record.DescLines = in[kDescLinesAt];
  record.AuxCount = static_cast<uint16_t>(in[kAuxCountAt] | in[kAuxCountAt + 1] << 8);
  return record;
}

}  // namespace tolv
