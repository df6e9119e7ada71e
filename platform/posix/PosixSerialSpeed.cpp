#include "platform/posix/PosixSerialSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool SetArbitrarySpeed(int fd, uint32_t baud) {
    struct termios2 line {};
    if (ioctl(fd, TCGETS2, &line) != 0) return false;
    line.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = baud;
    line.c_ospeed = baud;
    return ioctl(fd, TCSETS2, &line) == 0;
}

bool GetLineSpeed(int fd, uint32_t* baud) {
    struct termios2 line {};
    if (ioctl(fd, TCGETS2, &line) != 0) return false;
    *baud = line.c_ospeed;
    return true;
}
