#pragma once

#include "engine/serial_line.h"
#include "testkit/temp_folder.h"

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace tolvane::platform::testing {

// The serial error number an action throws, 0 when it throws none.
inline int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const engine::SerialError& error) {
        return error.number();
    }
    return 0;
}

using testkit::TempFolder;

// Polls a condition for at most a short while; a pseudo-terminal delivers within microseconds, so this
// only absorbs the kernel's hand-over between its two sides.
template <class Condition>
bool eventually(Condition condition, std::chrono::milliseconds limit = std::chrono::milliseconds(2000))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// A pseudo-terminal: the line under test opens the subordinate side by its path, the test plays the
// modem on the controlling side.
class PtyPair {
public:
    PtyPair()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        char name[128];
        if (::ptsname_r(m_master, name, sizeof name) != 0)
            throw std::runtime_error("ptsname failed");
        m_devicePath = name;
        // Held open so the controlling side never sees a hang-up while the line under test reopens.
        m_keeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }
    ~PtyPair()
    {
        if (m_keeper >= 0)
            ::close(m_keeper);
        if (m_master >= 0)
            ::close(m_master);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& devicePath() const { return m_devicePath; }
    // A second descriptor of the subordinate side: line settings belong to the device, so it sees them.
    int observer() const { return m_keeper; }

    // The modem goes away: the subordinate side sees the line hung up.
    void hangUp()
    {
        ::close(m_master);
        m_master = -1;
    }

    void send(std::string_view bytes) const
    {
        while (!bytes.empty()) {
            const auto written = ::write(m_master, bytes.data(), bytes.size());
            if (written <= 0)
                throw std::runtime_error("cannot write to the pseudo-terminal");
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }

    // What the line under test has written, collected until `count` bytes came or the short limit passed.
    std::string receive(std::size_t count) const
    {
        std::string received;
        eventually([&] {
            char buffer[256];
            const auto length = ::read(m_master, buffer, sizeof buffer);
            if (length > 0)
                received.append(buffer, static_cast<std::size_t>(length));
            return received.size() >= count;
        });
        return received;
    }

private:
    int m_master = -1;
    int m_keeper = -1;
    std::string m_devicePath;
};

} // namespace tolvane::platform::testing
