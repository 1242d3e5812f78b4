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
      return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return 3;
    case ENFILE:
    case EMFILE:
      return 4;
    case EACCES:
    case EEXIST:
    case EROFS:
      return 5;
    case EBADF:
      return 6;
    case EINTR:
    case EIO:
    case EAGAIN:
    case ENOSPC:
    case EPIPE:
      return 101;
    case ETXTBSY:
      return 162;
    case ENOMEM:
    case EFAULT:
      return 217;
    case EINVAL:
      return 218;
    default:
      return 0;
  }
}

void set_pending_from_errno(int number) {
  if (uint16_t code = translate_errno(number)) pending_error = code;
}

}  // namespace tolv
