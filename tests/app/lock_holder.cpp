// Test helper: holds a program folder's single-instance lock, says "held" on standard output, and keeps it
// until it is ended.
#include "platform/single_instance.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    if (argc != 2)
        return 2;
    tolvane::platform::SingleInstanceLock lock;
    if (lock.acquire(argv[1]) != tolvane::platform::SingleInstanceLock::Result::Acquired)
        return 1;
    std::puts("held");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
