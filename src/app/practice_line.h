#pragma once

#include "simulator/pty_server.h"

#include <memory>
#include <vector>

namespace tolvane::platform {
class PortMap;
}

namespace tolvane::app {

// The practice line: every port, COMM1 to COMM4, is served by a simulated modem and paging terminal on a
// pseudo-terminal, reached through the real serial-line code like a modem would be.
class PracticeLine {
public:
    PracticeLine();
    ~PracticeLine();
    PracticeLine(const PracticeLine&) = delete;
    PracticeLine& operator=(const PracticeLine&) = delete;

    // Starts the simulators and points the ports of `ports` at them. Throws std::system_error when no
    // pseudo-terminal can be had.
    void start(platform::PortMap& ports);

private:
    std::vector<std::unique_ptr<simulator::PtyServer>> m_servers;
};

// Added to the caption and to every command-line report, so a practice page is never mistaken for a
// delivered one.
inline constexpr const char* kPracticeMark = " (practice line)";

} // namespace tolvane::app
