#pragma once

#include "simulator/page_record.h"
#include "simulator/session_server.h"
#include "simulator/simulator_options.h"

#include <functional>
#include <vector>

namespace tolvane::simulator {

// A paging carrier's SNPP gateway (RFC 1861, level 1 and the level 2 LOGI and DATA) on 127.0.0.1, built from
// the RFC rather than from any client. Each connection is a session of its own: greeting 220; PAGE, MESS or
// DATA, SEND, RESE, LOGI, HELP, QUIT. The practice terminal's faults apply: refused pager IDs (550), a
// password LOGI must give (550 otherwise), the block replies as the answers to successive SENDs over the
// server's life (ACK sent, RS refused, NAK 554, EOT 421 and closing, NONE no answer, DROP the connection
// drops) and the block reply delay as a slow SEND.
class SnppServer {
public:
    explicit SnppServer(SimulatorOptions options = {}, SessionServer::Limits limits = {});
    SnppServer(const SnppServer&) = delete;
    SnppServer& operator=(const SnppServer&) = delete;

    void setPageListener(std::function<void(const PageRecord&)> listener) { m_pageListener = std::move(listener); }
    void setTranscriptListener(std::function<void(const TranscriptEntry&)> listener)
    {
        m_transcriptListener = std::move(listener);
    }
    void start(int port) { m_server.start(port); }
    void stop() { m_server.stop(); }
    int port() const { return m_server.port(); }
    std::vector<PageRecord> pages() const;

private:
    class Session;

    SimulatorOptions m_options;
    std::size_t m_sends = 0; // SENDs answered over the server's life, for the reply script
    std::function<void(const PageRecord&)> m_pageListener;
    std::function<void(const TranscriptEntry&)> m_transcriptListener;
    std::vector<PageRecord> m_pages;
    SessionServer m_server;
};

} // namespace tolvane::simulator
