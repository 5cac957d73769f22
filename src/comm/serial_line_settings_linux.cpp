// Line settings through termios2, which takes any baud rate (14400, 56000, 128000 and
// 256000 have no B constant). Kept apart: <asm/termbits.h> clashes with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

#include "comm/serial_line_settings.h"

namespace pelnor {

namespace {

tcflag_t standardRate(int baudRate) {
  switch (baudRate) {
    case 110:
      return B110;
    case 300:
      return B300;
    case 600:
      return B600;
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return BOTHER;
  }
}

}  // namespace

int applyLineSettings(int fd, int baudRate, int dataBits, int stopBits, int parity, int flowControl) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;

  // Raw mode: no line editing, no translation, no echo, no signals.
  tio.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag |= CREAD | CLOCAL;

  tcflag_t size = 0;
  switch (dataBits) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return EINVAL;  // 4 data bits: no such setting here
  }
  tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | size;

  // 1.5 stop bits do not exist here; two is the nearest.
  if (stopBits == 0)
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  else
    tio.c_cflag |= CSTOPB;

  tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CMSPAR);
  switch (parity) {
    case 0:
      break;
    case 1:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case 2:
      tio.c_cflag |= PARENB;
      break;
    case 3:
      tio.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    default:
      tio.c_cflag |= PARENB;
      break;
  }
  if (parity != 0)
    tio.c_iflag |= INPCK;
  else
    tio.c_iflag &= ~static_cast<tcflag_t>(INPCK);

  // XON/XOFF both ways only for flow control 2; hardware flow (1) leaves the driver's
  // handshake settings as they were.
  if (flowControl == 2) tio.c_iflag |= IXON | IXOFF;

  // A rate with its own constant uses it (every driver knows those); others go as a number.
  tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= standardRate(baudRate);
  tio.c_ispeed = static_cast<speed_t>(baudRate);
  tio.c_ospeed = static_cast<speed_t>(baudRate);

  // Reads return at once; waiting is done with poll.
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
  return 0;
}

// The terminal interface has 5 to 8 data bits and 1 or 2 stop bits only: 4 would fail
// at reception and 1.5 would silently become 2.
std::string unsupportedDataBits(int dataBits) {
  return dataBits < 5 ? "この環境では設定できません（データ長は5～8ビット）" : std::string();
}

std::string unsupportedStopBits(int stopBits) {
  return stopBits == 1 ? "この環境では設定できません（ストップビットは1または2）" : std::string();
}

}  // namespace pelnor
