// What a ZIP's own headers say where libarchive does not tell: the method
// of a member it cannot decode (PKZIP 1.x's Shrink, Reduce and Implode are
// to be named), and how many members the end record names, before its
// seekable reader is trusted with the central directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolv {

inline constexpr size_t kZipLocalHeaderBytes = 30;
// A data descriptor with its mark and ZIP64 sizes: what may lie between
// where libarchive's streamed reading places a member's header and where it
// is.
inline constexpr size_t kZipDescriptorBytes = 24;
// The end record and the longest comment after it.
inline constexpr size_t kZipTailBytes = 22 + 65535;

// The method's name as a finding gives it: "PKZIP 1.x's Implode",
// "Deflate64", "method 77".
std::string zip_method_words(int method);

// The method of the local header of the member `name` that starts within
// the first kZipDescriptorBytes + 1 bytes of `window`; -1 when none does.
int zip_method_in(std::string_view window, std::string_view name);

// The method the central directory `directory` gives the member `name`; -1
// when it names no such member.
int zip_method_in_directory(std::string_view directory, std::string_view name);

// What the end record in `tail` (a file's last bytes) says of the central
// directory: its members and bytes; -1 for both when there is no end record,
// or it leaves them to a ZIP64 record.
struct ZipDirectory {
  int64_t members = -1;
  int64_t bytes = -1;
  int64_t offset = -1;  // where it starts in the file
};
ZipDirectory zip_end_record(std::string_view tail);

}  // namespace tolv
