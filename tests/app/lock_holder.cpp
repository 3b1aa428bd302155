// Test helper: holds a program folder's single-instance lock, says so on a pipe, and keeps it until the
// other end of a second pipe closes.
#include "platform/single_instance.h"

#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 4)
        return 2;
    tolvane::platform::SingleInstanceLock lock;
    if (lock.acquire(argv[1]) != tolvane::platform::SingleInstanceLock::Result::Acquired)
        return 1;
    const int go = std::atoi(argv[2]);
    const int ready = std::atoi(argv[3]);
    const char byte = 'r';
    if (::write(ready, &byte, 1) != 1)
        return 1;
    char ignored = 0;
    while (::read(go, &ignored, 1) > 0) { }
    return 0;
}
