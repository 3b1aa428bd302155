#pragma once

#include "simulator/page_record.h"
#include "simulator/simulator_options.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct MHD_Daemon;

namespace tolvane::simulator {

// A WCTP 1.3 gateway on 127.0.0.1: takes wctp-SubmitRequest documents posted over HTTP (GNU libmicrohttpd)
// and answers each with a wctp-Confirmation, read with expat from the DTD rather than from any client.
// A messageID it has delivered before is answered as delivered again and not delivered twice. The practice
// terminal's faults apply: refused pager IDs (403), a security code the originator must give (402), the
// block replies as the answers to successive requests (ACK delivered, RS 403, NAK 604, EOT HTTP 503,
// NONE no answer, DROP the connection drops) and the block reply delay as a slow answer.
class WctpServer {
public:
    explicit WctpServer(SimulatorOptions options = {});
    ~WctpServer();
    WctpServer(const WctpServer&) = delete;
    WctpServer& operator=(const WctpServer&) = delete;

    void setPageListener(std::function<void(const PageRecord&)> listener) { m_pageListener = std::move(listener); }
    void setTranscriptListener(std::function<void(const TranscriptEntry&)> listener)
    {
        m_transcriptListener = std::move(listener);
    }
    // Throws std::system_error when the port cannot be had.
    void start(int port);
    void stop();
    int port() const { return m_port; }
    std::vector<PageRecord> pages() const;

    // The answer to one posted document, and the page it delivers, if any. Public for the tests.
    struct Answer {
        int httpStatus = 200;
        std::string body; // empty with NONE and DROP
        bool drop = false; // close without an answer
        bool hold = false; // never answer
    };
    Answer answer(const std::string& document);
    bool stopping() const { return m_stopping; }

private:
    SimulatorOptions m_options;
    std::function<void(const PageRecord&)> m_pageListener;
    std::function<void(const TranscriptEntry&)> m_transcriptListener;
    mutable std::mutex m_mutex;
    std::vector<PageRecord> m_pages;
    std::map<std::string, bool> m_delivered; // messageID -> delivered
    std::size_t m_requests = 0;
    MHD_Daemon* m_daemon = nullptr;
    int m_port = 0;
    std::atomic<bool> m_stopping { false };
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

} // namespace tolvane::simulator
