#pragma once

#include "simulator/page_record.h"
#include "simulator/simulator_options.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tolvane::simulator {

// The far end of one connection: it is told what arrives and what time it is, and says what to send.
class ServedSession {
public:
    virtual ~ServedSession() = default;
    virtual void receive(std::string_view bytes, Millis now) = 0;
    virtual void advance(Millis now) = 0;
    virtual std::string takeOutput() = 0;
    virtual std::optional<Millis> nextDue() const = 0;
    // The session is over: the connection closes once its output has gone.
    virtual bool finished() const = 0;
    // The client closed, or the server dropped it.
    virtual void clientGone(Millis now) = 0;
};

// Serves sessions on 127.0.0.1, every connection at once and each with a session of its own, on one
// thread. A client silent for longer than the idle limit is dropped, and so is one that does not read
// what it is sent once that passes the output limit, so no client can hold the server or its memory.
class SessionServer {
public:
    struct Limits {
        Millis idle { 120000 }; // longer than any wait of a paging call
        std::size_t output = 64 * 1024;
    };
    using SessionMaker = std::function<std::unique_ptr<ServedSession>(Millis now)>;

    SessionServer(SessionMaker maker, Limits limits);
    ~SessionServer();
    SessionServer(const SessionServer&) = delete;
    SessionServer& operator=(const SessionServer&) = delete;

    // Listens on 127.0.0.1:port (0: a free port) and serves. Throws std::system_error when it cannot.
    void start(int port);
    void stop();
    int port() const { return m_port; }
    // Held while sessions run: whoever reads what they record takes it too.
    std::mutex& mutex() const { return m_mutex; }
    // Connections dropped for silence or for not reading, since the start.
    int dropped() const;

private:
    struct Client;
    void serve();
    void acceptWaiting();
    Millis elapsed() const;

    SessionMaker m_maker;
    Limits m_limits;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<Client>> m_clients;
    int m_listener = -1;
    int m_port = 0;
    int m_dropped = 0;
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

// What the practice services that take pages over TCP share: the options their sessions follow, who is told
// of each page and each piece of the exchange, the pages taken, and the server of the sessions. Sessions use
// it on the server's thread with its lock held.
class PageTakingServer {
public:
    PageTakingServer(const PageTakingServer&) = delete;
    PageTakingServer& operator=(const PageTakingServer&) = delete;

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
    int dropped() const { return m_server.dropped(); }
    std::vector<PageRecord> pages() const;

protected:
    PageTakingServer(SimulatorOptions options, SessionServer::SessionMaker maker, SessionServer::Limits limits);
    // A server whose sessions touch members of its own stops first, in its destructor, before they go.
    ~PageTakingServer() = default;

    const SimulatorOptions& options() const { return m_options; }
    const std::function<void(const TranscriptEntry&)>& transcriptListener() const { return m_transcriptListener; }
    void transcribe(const TranscriptEntry& entry) const;
    void takePage(const PageRecord& page);
    std::mutex& mutex() const { return m_server.mutex(); }

private:
    SimulatorOptions m_options;
    std::function<void(const PageRecord&)> m_pageListener;
    std::function<void(const TranscriptEntry&)> m_transcriptListener;
    std::vector<PageRecord> m_pages;
    SessionServer m_server; // last: it stops before what its sessions write to goes
};

} // namespace tolvane::simulator
