#pragma once

#include "simulator/line_simulator.h"
#include "simulator/session_server.h"
#include "simulator/simulator_options.h"

namespace tolvane::simulator {

// Serves the TAP terminal, with no modem in front, on a TCP port of 127.0.0.1, as a paging carrier's
// TAP-over-TCP service does. Each connection is one call with a terminal of its own, served side by side
// with the others (each runs the reply scripts from their start); the terminal ends a call by closing the
// connection, and a client that closes ends it too.
class TcpServer final : public PageTakingServer {
public:
    explicit TcpServer(SimulatorOptions options = {}, SessionServer::Limits limits = {});
    ~TcpServer() { stop(); }

    int hangUps() const;

private:
    class Call;

    int m_hangUps = 0;
};

} // namespace tolvane::simulator
