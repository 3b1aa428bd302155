#include "app/practice_line.h"

#include "platform/serial/port_map.h"

namespace tolvane::app {

PracticeLine::PracticeLine() = default;

PracticeLine::~PracticeLine()
{
    for (auto& server : m_servers)
        server->stop();
}

void PracticeLine::start(platform::PortMap& ports)
{
    for (int port = platform::PortMap::kFirstPort; port <= platform::PortMap::kLastPort; ++port) {
        auto server = std::make_unique<simulator::PtyServer>();
        server->start();
        ports.setOverride(port, server->slavePath());
        m_servers.push_back(std::move(server));
    }
}

} // namespace tolvane::app
