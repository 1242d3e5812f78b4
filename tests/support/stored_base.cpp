#include "support/stored_base.h"

#include "companion/base.h"
#include "filebase/description_lines.h"
#include "support/child.h"

namespace tolv::test {

void StoredBase::add(const std::string& name, const std::vector<std::string>& lines, int32_t size) {
  FileRecord record;
  record.FileName.assign(name);
  record.Size = size;
  record.DateTime = kStoredDateTime;
  record.Origin.assign(kOrigin);
  record.DescPtr = static_cast<int32_t>(descriptions.size());
  record.DescLines = static_cast<uint8_t>(lines.size());
  for (const std::string& line : lines) append_description_line(descriptions, line);
  uint8_t bytes[kRecordSize];
  encode_record(record, bytes);
  records.append(reinterpret_cast<char*>(bytes), kRecordSize);
}

void StoredBase::set8(int record, int at, uint8_t value) {
  records[record * kRecordSize + at] = static_cast<char>(value);
}

void StoredBase::set32(int record, int at, int32_t value) {
  for (int i = 0; i < 4; ++i) set8(record, at + i, static_cast<uint8_t>(value >> (8 * i)));
}

std::string stored_record(const std::string& name, uint8_t flags) {
  FileRecord record;
  record.FileName.assign(name);
  record.Flags = flags;
  uint8_t bytes[kRecordSize];
  encode_record(record, bytes);
  return std::string(reinterpret_cast<char*>(bytes), kRecordSize);
}

std::vector<FileRecord> records_in(const std::string& file) {
  std::vector<FileRecord> records;
  for (size_t at = 0; at + kRecordSize <= file.size(); at += kRecordSize)
    records.push_back(decode_record(reinterpret_cast<const uint8_t*>(file.data()) + at));
  return records;
}

std::vector<std::string> names_in(const std::string& file) {
  std::vector<std::string> names;
  for (const FileRecord& record : records_in(file)) names.emplace_back(record.FileName.view());
  return names;
}

void write_base(const std::string& path, const StoredBase& base) {
  write_file(path + ".dir", base.records);
  write_file(path + ".des", base.descriptions);
}

StoredBase read_base(const std::string& path) {
  return {read_file(path + ".dir"), read_file(path + ".des")};
}

std::string BaseCheck::text() const {
  std::string all = opened ? result.error : error;
  for (const Finding& f : findings) all += "\nrecord " + std::to_string(f.record) + ": " + f.text;
  return all;
}

BaseCheck check_stored_base(const std::string& path) {
  BaseCheck check;
  ReadOnlyBase base;
  check.opened = open_base(base, path, check.error);
  if (!check.opened) return check;
  check.result = check_base(base, [&](const Finding& f) { check.findings.push_back(f); });
  close_base(base);
  return check;
}

}  // namespace tolv::test
