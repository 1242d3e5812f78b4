#include "normalize/zip_headers.h"

namespace tolv {

namespace {

constexpr size_t kEndRecordBytes = 22;
constexpr uint32_t kZip64Marker = 0xFFFF;
constexpr uint32_t kZip64Bytes = 0xFFFFFFFF;

uint32_t little_endian(std::string_view bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

std::string zip_method_words(int method) {
  switch (method) {
    case 1:
      return "PKZIP 1.x's Shrink";
    case 2:
    case 3:
    case 4:
    case 5:
      return "PKZIP 1.x's Reduce (factor " + std::to_string(method - 1) + ")";
    case 6:
      return "PKZIP 1.x's Implode";
    case 9:
      return "Deflate64";
    case 10:
    case 18:
      return "TERSE";
    case 98:
      return "PPMd";
    case 99:
      return "AES encryption";
    default:
      return "method " + std::to_string(method);
  }
}

int zip_method_in(std::string_view window, std::string_view name) {
  for (size_t k = 0; k <= kZipDescriptorBytes; ++k) {
    if (k + kZipLocalHeaderBytes + name.size() > window.size()) break;
    if (window.substr(k, 4) == "PK\x03\x04" && little_endian(window, k + 26, 2) == name.size() &&
        window.substr(k + kZipLocalHeaderBytes, name.size()) == name)
      return static_cast<int>(little_endian(window, k + 8, 2));
  }
  return -1;
}

int zip_method_in_directory(std::string_view directory, std::string_view name) {
  constexpr size_t kCentralHeaderBytes = 46;
  for (size_t at = 0; at + kCentralHeaderBytes <= directory.size();) {
    if (directory.substr(at, 4) != "PK\x01\x02") return -1;
    size_t name_size = little_endian(directory, at + 28, 2);
    if (name_size == name.size() && directory.substr(at + kCentralHeaderBytes, name_size) == name)
      return static_cast<int>(little_endian(directory, at + 10, 2));
    at += kCentralHeaderBytes + name_size + little_endian(directory, at + 30, 2) +
          little_endian(directory, at + 32, 2);
  }
  return -1;
}

ZipDirectory zip_end_record(std::string_view tail) {
  if (tail.size() < kEndRecordBytes) return {};
  // From the end: the record whose comment runs to the end of the file.
  for (size_t at = tail.size() - kEndRecordBytes;; --at) {
    if (tail.substr(at, 4) == "PK\x05\x06" &&
        little_endian(tail, at + 20, 2) == tail.size() - at - kEndRecordBytes) {
      uint32_t members = little_endian(tail, at + 10, 2), bytes = little_endian(tail, at + 12, 4),
               offset = little_endian(tail, at + 16, 4);
      if (members == kZip64Marker || bytes == kZip64Bytes || offset == kZip64Bytes) return {};
      return {members, bytes, offset};
    }
    if (at == 0) return {};
  }
}

}  // namespace tolv
