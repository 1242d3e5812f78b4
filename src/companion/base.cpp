#include "companion/base.h"

#include "filebase/base_path.h"
#include "filebase/record.h"

namespace tolv {

bool open_base(ReadOnlyBase& base, std::string_view argument, std::string& error,
               Descriptions descriptions) {
  BasePaths paths = derive_base_paths(argument);
  if (!open_read_only(base.records, paths.record_file)) {
    error = base.records.error;
    return false;
  }
  if (!open_read_only(base.descriptions, paths.description_file)) {
    if (base.descriptions.missing && descriptions == Descriptions::Optional) {
      base.descriptions_missing = true;
      return true;
    }
    error = base.descriptions.error;
    close_read_only(base.records);
    return false;
  }
  // tolvconv holds an exclusive lock on the description file while it
  // converts; a shared one here only tells whether that is so.
  base.being_converted = !lock_shared_if_free(base.descriptions);
  return true;
}

void close_base(ReadOnlyBase& base) {
  close_read_only(base.records);
  close_read_only(base.descriptions);
}

int64_t record_count(const ReadOnlyBase& base) {
  return base.records.size / kRecordSize;
}

int64_t fragment_size(const ReadOnlyBase& base) {
  return base.records.size % kRecordSize;
}

}  // namespace tolv
