#pragma once

#include "simulator/line_simulator.h"
#include "simulator/page_record.h"
#include "simulator/session_server.h"
#include "simulator/simulator_options.h"

#include <functional>
#include <vector>

namespace tolvane::simulator {

// Serves the TAP terminal, with no modem in front, on a TCP port of 127.0.0.1, as a paging carrier's
// TAP-over-TCP service does. Each connection is one call with a terminal of its own, served side by side
// with the others (each runs the reply scripts from their start); the terminal ends a call by closing the
// connection, and a client that closes ends it too.
class TcpServer {
public:
    explicit TcpServer(SimulatorOptions options = {}, SessionServer::Limits limits = {});
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Listeners run on the server's thread with its lock held: they must not call back into the server.
    // Set them before start().
    void setPageListener(std::function<void(const PageRecord&)> listener) { m_pageListener = std::move(listener); }
    void setTranscriptListener(std::function<void(const TranscriptEntry&)> listener)
    {
        m_transcriptListener = std::move(listener);
    }

    // Listens on 127.0.0.1:port (0: a free port the system picks) and starts serving. Throws
    // std::system_error when the port cannot be had.
    void start(int port) { m_server.start(port); }
    void stop() { m_server.stop(); }
    // The port listened on; 0 before start().
    int port() const { return m_server.port(); }

    std::vector<PageRecord> pages() const;
    int hangUps() const;
    int dropped() const { return m_server.dropped(); }

private:
    class Call;

    SimulatorOptions m_options;
    std::function<void(const PageRecord&)> m_pageListener;
    std::function<void(const TranscriptEntry&)> m_transcriptListener;
    std::vector<PageRecord> m_pages;
    int m_hangUps = 0;
    SessionServer m_server; // last: it stops before what its sessions write to goes
};

} // namespace tolvane::simulator
