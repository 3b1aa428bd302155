#pragma once

#include "simulator/session_server.h"
#include "simulator/simulator_options.h"

#include <cstddef>

namespace tolvane::simulator {

// A paging carrier's SNPP gateway (RFC 1861, level 1 and the level 2 LOGI and DATA) on 127.0.0.1, built from
// the RFC rather than from any client. Each connection is a session of its own: greeting 220; PAGE, MESS or
// DATA, SEND, RESE, LOGI, HELP, QUIT. The practice terminal's faults apply: refused pager IDs (550), a
// password LOGI must give (550 otherwise), the block replies as the answers to successive SENDs over the
// server's life (ACK sent, RS refused, NAK 554, EOT 421 and closing, NONE no answer, DROP the connection
// drops) and the block reply delay as a slow SEND.
class SnppServer final : public PageTakingServer {
public:
    explicit SnppServer(SimulatorOptions options = {}, SessionServer::Limits limits = {});
    ~SnppServer() { stop(); }

private:
    class Session;

    std::size_t m_sends = 0; // SENDs answered over the server's life, for the reply script
};

} // namespace tolvane::simulator
