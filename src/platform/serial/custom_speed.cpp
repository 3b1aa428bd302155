#include "platform/serial/custom_speed.h"

#include <cerrno>

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tolvane::platform {

int setCustomSpeed(int fd, int baud, int& appliedBaud)
{
    struct termios2 settings { };
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return errno;
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = static_cast<speed_t>(baud);
    settings.c_ospeed = static_cast<speed_t>(baud);
    if (::ioctl(fd, TCSETS2, &settings) != 0)
        return errno;
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return errno;
    appliedBaud = static_cast<int>(settings.c_ospeed);
    return 0;
}

int currentSpeed(int fd)
{
    struct termios2 settings { };
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return -1;
    return static_cast<int>(settings.c_ospeed);
}

} // namespace tolvane::platform
