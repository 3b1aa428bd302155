#pragma once

#include "simulator/line_simulator.h"
#include "simulator/page_record.h"
#include "simulator/simulator_options.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tolvane::simulator {

// Serves the TAP terminal, with no modem in front, on a TCP port of 127.0.0.1, as a paging carrier's
// TAP-over-TCP service does. Each connection is one call, served one at a time (a second client waits
// until the first is done); the terminal ends a call by closing the connection, and a client that
// closes ends it too. Reply scripts and drops run over successive connections, as over successive calls.
class TcpServer {
public:
    explicit TcpServer(SimulatorOptions options = {});
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Listeners run on the server's thread with its lock held: they must not call back into the server.
    // Set them before start().
    void setPageListener(std::function<void(const PageRecord&)> listener);
    void setTranscriptListener(std::function<void(const TranscriptEntry&)> listener);

    // Listens on 127.0.0.1:port (0: a free port the system picks) and starts serving. Throws
    // std::system_error when the port cannot be had.
    void start(int port);
    void stop();
    // The port listened on; 0 before start().
    int port() const { return m_port; }

    std::vector<PageRecord> pages() const;
    int hangUps() const;

private:
    void serve();
    void accept();
    void closeClient(bool gracefully);
    Millis elapsed() const;

    mutable std::mutex m_mutex;
    LineSimulator m_simulator;
    int m_listener = -1;
    int m_client = -1;
    int m_port = 0;
    // The terminal has closed its side; what the client still sends is read and thrown away until it closes
    // too, so that the last reply is not lost to a reset.
    std::optional<std::chrono::steady_clock::time_point> m_closingSince;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

} // namespace tolvane::simulator
