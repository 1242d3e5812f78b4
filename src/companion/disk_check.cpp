#include "companion/disk_check.h"

#include "companion/record_cursor.h"
#include "companion/text.h"
#include "filebase/record.h"

namespace tolv {

namespace {

std::string candidates(const FileDirectory& dir, std::string_view name) {
  std::string text;
  for (const DirectoryFile* file : files_matching(dir, name))
    text.append(text.empty() ? "" : " and ").append(quoted(file->name));
  return text;
}

}  // namespace

DiskCheck check_files_on_disk(ReadOnlyBase& base, FileDirectory& dir,
                              const std::function<void(const DiskFinding&)>& sink) {
  DiskCheck check;
  RecordCursor cursor = record_cursor(base);
  std::string in_dir = " in " + quoted(dir.path);
  while (const uint8_t* bytes = next_record(cursor)) {
    int64_t number = cursor.next - 1;
    FileRecord record = decode_record(bytes);
    std::string_view name = record.FileName.view();
    DirectoryFile* file = nullptr;
    switch (find_file(dir, name, file)) {
      case FileLookup::Missing:
        ++check.missing;
        sink({DiskFindingKind::Missing, number, "its file " + quoted(name) + " is not" + in_dir});
        break;
      case FileLookup::Ambiguous:
        ++check.missing;
        sink({DiskFindingKind::Ambiguous, number,
              "its file " + quoted(name) + " matches both " + candidates(dir, name) + in_dir +
                  " in other letter cases: which one is not known"});
        break;
      case FileLookup::Found:
        if (file->size == record.Size) break;
        ++check.size_differs;
        sink({DiskFindingKind::SizeDiffers, number,
              "its file " + quoted(file->name) + in_dir + " has " + counted(file->size, "byte") +
                  ", the record says " + std::to_string(record.Size)});
        break;
    }
  }
  if (!base.records.error.empty()) {
    check.error = base.records.error;
    return check;
  }
  for (const DirectoryFile* file : unnamed_files(dir)) {
    ++check.orphans;
    sink({DiskFindingKind::Orphan, -1,
          quoted(file->name) + in_dir + " (" + counted(file->size, "byte") +
              ") is named by no record"});
  }
  return check;
}

std::string disk_check_counts(const DiskCheck& check) {
  return std::to_string(check.missing) + " missing, " + std::to_string(check.size_differs) +
         (check.size_differs == 1 ? " size differs, " : " sizes differ, ") +
         counted(check.orphans, "orphan");
}

}  // namespace tolv
