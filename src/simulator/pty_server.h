#pragma once

#include "simulator/line_simulator.h"
#include "simulator/page_record.h"
#include "simulator/simulator_options.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::simulator {

// Serves a LineSimulator in real time on the master side of a pseudo-terminal, so that a program opens the slave
// device as it would open a serial port. Closing the slave stands for dropping DTR: the call ends and the server
// waits for the next open.
class PtyServer {
public:
    explicit PtyServer(SimulatorOptions options = {});
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Listeners run on the server's thread (or in stop()) with its lock held: they must not call back into the server.
    // Set them before start().
    void setPageListener(std::function<void(const PageRecord&)> listener);
    void setTranscriptListener(std::function<void(const TranscriptEntry&)> listener);

    // Opens the pseudo-terminal in raw mode and starts serving it. Throws std::system_error when no
    // pseudo-terminal can be had.
    void start();
    // Stops serving and closes the pseudo-terminal; the slave device disappears.
    void stop();

    // The device a client opens, such as /dev/pts/3; empty before start().
    std::string slavePath() const;
    bool clientConnected() const { return m_clientOpen.load(); }

    std::vector<PageRecord> pages() const;
    std::vector<TranscriptEntry> transcript() const;
    int hangUps() const;

private:
    void serve();
    Millis elapsed() const;
    void takeInBuffered(char* buffer, std::size_t size);
    // Returns whether the slave was opened and closed for it, which the device watcher will report.
    bool discardUnreadOutput();
    void writeOut(std::string& pending);

    mutable std::mutex m_mutex;
    LineSimulator m_simulator;
    std::string m_slavePath;
    int m_master = -1;
    int m_watcher = -1; // open and close events of the slave device, where the system offers them
    std::thread m_thread;
    std::atomic<bool> m_stopping { false };
    std::atomic<bool> m_clientOpen { false };
    std::optional<std::chrono::steady_clock::time_point> m_started;
};

} // namespace tolvane::simulator
