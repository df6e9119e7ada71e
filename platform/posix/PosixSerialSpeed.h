#pragma once
#include <cstdint>

// The Linux arbitrary-rate interface (termios2, ioctl TCGETS2/TCSETS2). Its header
// clashes with <termios.h>, so it lives in a file of its own. Both set errno on failure.

// Sets input and output rate to any value the driver accepts, leaving the rest of
// the line settings as they are.
bool SetArbitrarySpeed(int fd, uint32_t baud);
// The output rate in bits per second, whether set by a B constant or not.
bool GetLineSpeed(int fd, uint32_t* baud);
