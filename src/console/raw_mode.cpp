#include "console/raw_mode.h"

#include <unistd.h>

#include "runtime/syscall.h"

namespace tolv {

termios raw_modes(const termios& modes, bool keep_signal_keys) {
  termios raw = modes;
  raw.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  raw.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  raw.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  raw.c_cflag |= CS8;
  if (keep_signal_keys) {
    raw.c_lflag |= modes.c_lflag & ISIG;
    raw.c_cc[VSUSP] = _POSIX_VDISABLE;  // a stopped run would leave the terminal raw
  }
  return raw;
}

void apply_modes(const termios& modes) {
  sys_tcsetattr(1, TCSANOW, &modes);
}

}  // namespace tolv
