// A device that takes bytes into its output queue and never sends them (a wedged USB modem). A
// pseudo-terminal always reports an empty output queue, so this test program answers the queue
// question itself for the line under test and passes every other request to the system.
#include "platform/serial/posix_serial_line.h"

#include "serial_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdarg>
#include <cstring>

#include <dlfcn.h>
#include <sys/ioctl.h>

namespace {
int s_stuckQueue = 0; // bytes the device claims to hold; 0 lets the system answer
} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    if (request == TIOCOUTQ && s_stuckQueue > 0) {
        *static_cast<int*>(argument) = s_stuckQueue;
        return 0;
    }
    using SystemIoctl = int (*)(int, unsigned long, ...);
    static const SystemIoctl system = [] {
        SystemIoctl found = nullptr;
        void* symbol = ::dlsym(RTLD_NEXT, "ioctl");
        std::memcpy(&found, &symbol, sizeof found);
        return found;
    }();
    return system(fd, request, argument);
}

namespace tolvane::platform {
namespace {

TEST(StuckOutput, AWriteThatNeverLeavesTheDeviceFailsWith8019InsteadOfWaitingForEver)
{
    testing::PtyPair pty;
    testing::TempFolder locks;
    PortMap map;
    map.setOverride(1, pty.devicePath());
    PosixSerialLine line(map, locks.path());
    line.setWriteStallLimit(200);
    line.open();

    s_stuckQueue = 3;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(testing::errorNumberOf([&] { line.write("AT\r"); }), 8019);
    const auto waited = std::chrono::steady_clock::now() - start;
    s_stuckQueue = 0;
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_TRUE(line.isOpen());

    // Once the device takes data again, writes go through.
    line.write("ATH\r");
    EXPECT_EQ(pty.receive(7), "AT\rATH\r");
}

} // namespace
} // namespace tolvane::platform
