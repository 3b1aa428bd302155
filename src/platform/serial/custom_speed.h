#pragma once

namespace tolvane::platform {

// Sets a line speed that has no B-constant (14400, 28800...) through the kernel's custom-speed interface.
// Kept apart because the kernel's termios header cannot share a file with the C library's <termios.h>.
// Returns 0, or the errno of the failing call. appliedBaud is the speed the driver reports back.
int setCustomSpeed(int fd, int baud, int& appliedBaud);

// The output speed the terminal device behind fd runs at, in baud, or -1 when it cannot be read.
int currentSpeed(int fd);

} // namespace tolvane::platform
