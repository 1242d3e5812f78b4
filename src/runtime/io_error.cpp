#include "runtime/io_error.h"

#include <errno.h>

namespace tolv {

uint16_t pending_error = 0;

uint16_t error_code_query() {
  uint16_t code = pending_error;
  pending_error = 0;
  return code;
}

uint16_t translate_errno(int number) {
  switch (number) {
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kPathNotFound;
    case ENFILE:
    case EMFILE:
      return kTooManyOpenFiles;
    case EACCES:
    case EEXIST:
    case EROFS:
      return kAccessDenied;
    case EBADF:
      return kInvalidFileHandle;
    case EINTR:
    case EIO:
    case EAGAIN:
    case ENOSPC:
    case EPIPE:
      return kDiskWriteError;
    case ETXTBSY:
      return kFileBusy;
    case ENOMEM:
    case EFAULT:
      return kOutOfMemory;
    case EINVAL:
      return kInvalidArgument;
    default:
      return 0;
  }
}

void set_pending_from_errno(int number) {
  if (uint16_t code = translate_errno(number)) pending_error = code;
}

}  // namespace tolv
