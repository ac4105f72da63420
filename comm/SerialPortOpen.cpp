/* The serial port opened, checked and locked in one place. */
#include "comm/SerialPortOpen.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>

#include "base/SysCalls.h"

namespace {

/* A terminal is what answers tcgetattr, the test isatty makes: only a
 * terminal's driver does, so pseudo-terminals and USB serial adapters
 * pass, and everything else fails with ENOTTY before a byte is written. */
bool IsTerminal(int fd) {
    struct termios line;
    return Sys().TcGetAttr(fd, &line) == 0;
}

}  // namespace

int OpenSerialPortLocked(const char* path) {
    int fd = Sys().Open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd != -1 && (!IsTerminal(fd) || Sys().Flock(fd, LOCK_EX | LOCK_NB) != 0)) {
        int reason = errno;  // of the terminal check or the lock
        Sys().Close(fd);
        errno = reason;
        fd = -1;
    }
    return fd;
}
